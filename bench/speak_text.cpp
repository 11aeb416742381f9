// SPDX-License-Identifier: GPL-3.0-or-later
// Speaks a text file's notes with one voice into a WAV file, as a narration would (the notes
// cleaned and cut into sentences, the voice chosen as --voice chooses it), for listening and
// for bench/speech_intelligibility.sh.
//
//   usage: speak_text VOICE TEXT_FILE OUT.wav      (VOICE as --voice takes it: slt, de, German)
#include "core/deckrec_error.h"
#include "core/speech_text.h"
#include "platform/speech/speech_choice.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sndfile.h>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s VOICE TEXT_FILE OUT.wav\n", argv[0]);
        return 2;
    }
    try {
        std::ifstream in(argv[2], std::ios::binary);
        const std::string notes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::vector<std::string> sentences;
        for (const SpokenPiece& piece : SpeechPieces(notes))
            sentences.insert(sentences.end(), piece.sentences.begin(), piece.sentences.end());
        const ChosenSpeech speech = ChooseSpeech("en", argv[1], "");
        const auto start = std::chrono::steady_clock::now();
        const SpokenText spoken = speech.engine->Speak(sentences, speech.voice);
        const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        SF_INFO info{};
        info.samplerate = spoken.sampleRate;
        info.channels = 1;
        info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
        SNDFILE* out = sf_open(argv[3], SFM_WRITE, &info);
        if (!out)
            throw DeckrecError(std::string("cannot write ") + argv[3] + ": " + sf_strerror(nullptr));
        sf_write_short(out, spoken.samples.data(), static_cast<sf_count_t>(spoken.samples.size()));
        sf_close(out);
        std::printf("%s: %.1f s of speech in %.2f s\n", speech.engine->Describe(speech.voice).c_str(),
                    static_cast<double>(spoken.samples.size()) / spoken.sampleRate, took);
    } catch (const DeckrecError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
