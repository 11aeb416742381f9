// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/sound_clip.h"

#include "audio/wave_file.h"
#include "core/deckrec_error.h"

#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <memory>

namespace {

constexpr int kTrackRateWithoutSounds = 48000;

struct SndfileCloser {
    void operator()(SNDFILE* f) const { sf_close(f); }
};

bool IsWave(int format)
{
    const int major = format & SF_FORMAT_TYPEMASK;
    return major == SF_FORMAT_WAV || major == SF_FORMAT_WAVEX || major == SF_FORMAT_RF64;
}

// The sound at another rate, each new sample between its two neighbours in the old one: for
// speech the difference to a finer filter is not heard.
std::vector<int16_t> AtRate(const SoundClip& sound, int rate)
{
    const double step = static_cast<double>(sound.rate) / rate;
    const auto count = static_cast<size_t>(std::floor(static_cast<double>(sound.samples.size()) / step));
    std::vector<int16_t> out(count);
    for (size_t i = 0; i < count; ++i) {
        const double at = static_cast<double>(i) * step;
        const size_t left = std::min(static_cast<size_t>(at), sound.samples.size() - 1);
        const size_t right = std::min(left + 1, sound.samples.size() - 1);
        const double part = at - static_cast<double>(left);
        out[i] = static_cast<int16_t>(std::lround(sound.samples[left] * (1 - part) + sound.samples[right] * part));
    }
    return out;
}

size_t SampleAt(long long ms, int rate)
{
    return static_cast<size_t>(std::llround(static_cast<double>(std::max(0LL, ms)) * rate / 1000.0));
}

} // namespace

SoundClip ReadWaveClip(const std::string& path)
{
    SF_INFO info;
    std::memset(&info, 0, sizeof info);
    std::unique_ptr<SNDFILE, SndfileCloser> file(sf_open(path.c_str(), SFM_READ, &info));
    if (!file) {
        // libsndfile's sentence, as a clause: "Format not recognised." -> "format not recognised".
        std::string why = sf_strerror(nullptr);
        if (!why.empty() && why.back() == '.')
            why.pop_back();
        if (!why.empty())
            why[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(why[0])));
        throw DeckrecError("cannot read " + path + " as a WAVE sound file: " + why);
    }
    if (!IsWave(info.format) || info.channels < 1 || info.samplerate < 1)
        throw DeckrecError("cannot read " + path + ": it is no WAVE sound file");
    SoundClip sound;
    sound.rate = info.samplerate;
    std::vector<int16_t> block(4096 * static_cast<size_t>(info.channels));
    for (;;) {
        const sf_count_t frames = sf_readf_short(file.get(), block.data(), 4096);
        if (frames <= 0)
            break;
        for (sf_count_t f = 0; f < frames; ++f) {
            long sum = 0;
            for (int c = 0; c < info.channels; ++c)
                sum += block[static_cast<size_t>(f * info.channels + c)];
            sound.samples.push_back(static_cast<int16_t>(sum / info.channels));
        }
    }
    if (sf_error(file.get()) != SF_ERR_NO_ERROR)
        throw DeckrecError("cannot read " + path + ": " + sf_strerror(file.get()));
    return sound;
}

void WriteSoundTrack(const std::string& path, const std::vector<PlacedSound>& sounds, long long lengthMs)
{
    int rate = 0;
    for (const PlacedSound& placed : sounds)
        rate = std::max(rate, placed.sound->rate);
    if (rate == 0)
        rate = kTrackRateWithoutSounds;
    std::vector<PlacedSound> inOrder = sounds;
    std::stable_sort(inOrder.begin(), inOrder.end(),
                     [](const PlacedSound& a, const PlacedSound& b) { return a.startMs < b.startMs; });

    WaveFileWriter writer(path, {SF_FORMAT_WAV | SF_FORMAT_PCM_16, rate, 1});
    const size_t end = SampleAt(lengthMs, rate);
    size_t written = 0;
    for (size_t k = 0; k < inOrder.size(); ++k) {
        const size_t start = std::min(SampleAt(inOrder[k].startMs, rate), end);
        const size_t next = k + 1 < inOrder.size() ? std::min(SampleAt(inOrder[k + 1].startMs, rate), end) : end;
        if (start > written)
            writer.writeSilence(start - written);
        written = std::max(written, start);
        const SoundClip& sound = *inOrder[k].sound;
        const std::vector<int16_t> converted = sound.rate == rate ? std::vector<int16_t>() : AtRate(sound, rate);
        const std::vector<int16_t>& samples = sound.rate == rate ? sound.samples : converted;
        const size_t count = std::min(samples.size(), next > written ? next - written : 0);
        writer.write(samples.data(), count);
        written += count;
    }
    if (end > written)
        writer.writeSilence(end - written);
    writer.finish();
}
