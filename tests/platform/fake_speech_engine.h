// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A voice for tests: each sentence is a tone whose length follows the sentence's length, so a
// test knows how long the speech is without an engine. It keeps what it was asked to say.

#include "platform/speech_engine.h"

#include <string>
#include <vector>

class FakeSpeechEngine : public SpeechEngine {
public:
    SpokenText Speak(const std::vector<std::string>& sentences, const VoiceChoice& voice) override;
    std::string Describe(const VoiceChoice& voice) const override;

    // The samples a sentence of this many bytes takes (the tone, then a pause).
    size_t SamplesFor(const std::string& sentence) const;

    int sampleRate = 16000;
    double secondsPerCharacter = 0.06;
    double pauseSeconds = 0.2;                   // after each sentence, counted in it
    double amplitude = 0.3;                      // of full scale
    std::string failWith;                        // when set, Speak throws DeckrecError with this message
    std::vector<std::vector<std::string>> calls; // the sentences of every Speak, in order
    std::vector<VoiceChoice> voices;             // the voice of every Speak
};
