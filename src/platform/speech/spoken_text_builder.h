// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A take gathered sentence by sentence: speaking one sentence at a time is what gives every
// engine exact sentence ends, whatever events it has or lacks.

#include "platform/speech_engine.h"

#include <cstdint>
#include <string>

class SpokenTextBuilder {
public:
    // speaker names the voice in messages ("the speech command").
    explicit SpokenTextBuilder(std::string speaker)
        : speaker_(std::move(speaker))
    {
    }

    // Appends one sentence. With pauseSeconds > 0 the quiet tail the voice left is trimmed and
    // a pause of that length follows instead, so that every voice breathes alike between
    // sentences; 0 keeps the sentence as the engine ended it. Throws DeckrecError when the rate
    // differs from the sentences before.
    void Add(const int16_t* samples, size_t count, int sampleRate, double pauseSeconds);
    SpokenText Take() { return std::move(spoken_); }

private:
    std::string speaker_;
    SpokenText spoken_;
};

// Between sentences of a voice that leaves no pause of its own.
constexpr double kSentencePauseSeconds = 0.3;
