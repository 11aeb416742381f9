// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/speech/spoken_text_builder.h"

#include "core/deckrec_error.h"

#include <cmath>
#include <cstdlib>

namespace {

// Under this (about -54 dBFS) a tail is taken for silence.
constexpr int kQuiet = 64;

} // namespace

void SpokenTextBuilder::Add(const int16_t* samples, size_t count, int sampleRate, double pauseSeconds)
{
    if (spoken_.sampleRate != 0 && spoken_.sampleRate != sampleRate) {
        throw DeckrecError(speaker_ + " gave sound at " + std::to_string(sampleRate) + " Hz after sound at " +
                           std::to_string(spoken_.sampleRate) + " Hz; every sentence must come at one rate");
    }
    if (sampleRate <= 0)
        throw DeckrecError(speaker_ + " gave sound without a sample rate");
    spoken_.sampleRate = sampleRate;
    if (pauseSeconds > 0) {
        while (count > 0 && std::abs(samples[count - 1]) < kQuiet)
            --count;
    }
    spoken_.samples.insert(spoken_.samples.end(), samples, samples + count);
    if (pauseSeconds > 0)
        spoken_.samples.insert(spoken_.samples.end(), static_cast<size_t>(std::lround(pauseSeconds * sampleRate)), 0);
    spoken_.sentenceEnds.push_back(spoken_.samples.size());
}
