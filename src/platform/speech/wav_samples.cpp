// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/speech/wav_samples.h"

#include "core/deckrec_error.h"

#include <memory>
#include <sndfile.h>
#include <sys/stat.h>

MonoSound ReadMonoSound(const std::string& path, const std::string& speaker)
{
    struct stat status {};
    if (stat(path.c_str(), &status) != 0 || status.st_size == 0)
        throw DeckrecError(speaker + " wrote no sound to " + path);
    SF_INFO info{};
    const std::unique_ptr<SNDFILE, int (*)(SNDFILE*)> file(sf_open(path.c_str(), SFM_READ, &info), sf_close);
    if (!file)
        throw DeckrecError(speaker + " wrote a file that is no sound file libsndfile reads (" + sf_strerror(nullptr) +
                           ")");
    if (info.channels <= 0 || info.samplerate <= 0)
        throw DeckrecError(speaker + " wrote a sound file without channels or rate");
    std::vector<int16_t> interleaved(static_cast<size_t>(info.frames) * info.channels);
    const sf_count_t frames = sf_readf_short(file.get(), interleaved.data(), info.frames);
    MonoSound sound;
    sound.sampleRate = info.samplerate;
    sound.samples.resize(static_cast<size_t>(std::max<sf_count_t>(frames, 0)));
    for (size_t f = 0; f < sound.samples.size(); ++f) {
        int sum = 0;
        for (int c = 0; c < info.channels; ++c)
            sum += interleaved[f * info.channels + c];
        sound.samples[f] = static_cast<int16_t>(sum / info.channels);
    }
    return sound;
}
