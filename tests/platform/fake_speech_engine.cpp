// SPDX-License-Identifier: GPL-3.0-or-later
#include "fake_speech_engine.h"

#include "core/deckrec_error.h"

#include <cmath>

size_t FakeSpeechEngine::SamplesFor(const std::string& sentence) const
{
    return static_cast<size_t>(std::lround((sentence.size() * secondsPerCharacter + pauseSeconds) * sampleRate));
}

SpokenText FakeSpeechEngine::Speak(const std::vector<std::string>& sentences, const VoiceChoice& voice)
{
    calls.push_back(sentences);
    voices.push_back(voice);
    if (!failWith.empty()) {
        throw DeckrecError(failWith);
    }
    SpokenText spoken;
    spoken.sampleRate = sampleRate;
    const size_t pause = static_cast<size_t>(std::lround(pauseSeconds * sampleRate));
    for (const std::string& sentence : sentences) {
        const size_t toneLength = SamplesFor(sentence) - pause;
        for (size_t i = 0; i < toneLength; ++i) {
            const double phase = 2 * M_PI * 440.0 * static_cast<double>(i) / sampleRate;
            spoken.samples.push_back(static_cast<int16_t>(std::lround(amplitude * 32767 * std::sin(phase))));
        }
        spoken.samples.insert(spoken.samples.end(), pause, 0);
        spoken.sentenceEnds.push_back(spoken.samples.size());
    }
    return spoken;
}

std::string FakeSpeechEngine::Describe(const VoiceChoice& voice) const
{
    return "fake " + (voice.name.empty() ? voice.language : voice.name);
}
