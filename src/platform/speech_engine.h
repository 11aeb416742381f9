// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A voice that reads text aloud: the speaker notes of a narrated recording. Engines differ in
// how they sound, not in what they give back: mono samples at a rate of their own, and where
// each sentence ends in them, so that captions can follow what is said.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct SpokenText {
    std::vector<int16_t> samples; // mono
    int sampleRate = 0;
    // Per sentence given, the sample just past its end (silence between sentences included
    // in the sentence before), in the order given.
    std::vector<size_t> sentenceEnds;
};

// Which voice speaks: a language ("en", "de", "en-US") picks the engine's voice for it; a name
// picks that voice; both empty is the engine's default voice.
struct VoiceChoice {
    std::string language;
    std::string name;
};

class SpeechEngine {
public:
    virtual ~SpeechEngine() = default;
    // Speaks sentences one after the other in one take. Throws DeckrecError with a message a
    // user can act on when the engine fails (a voice it does not have, a command that fails,
    // hangs past its bounded wait, or writes no sound).
    virtual SpokenText Speak(const std::vector<std::string>& sentences, const VoiceChoice& voice) = 0;
    // A short name for messages and benchmarks ("flite cmu_us_slt", "espeak-ng de").
    virtual std::string Describe(const VoiceChoice& voice) const = 0;

    // Asked between sentences, and while a command runs: true ends Speak with InterruptedError
    // (a command is stopped), so that a cancelled narration does not wait for its voice.
    void StopWhen(std::function<bool()> stopped) { stopped_ = std::move(stopped); }

protected:
    bool StopAsked() const { return stopped_ && stopped_(); }

private:
    std::function<bool()> stopped_;
};

// Who reads a narrated deck's notes of one language: an engine and its voice.
struct NarrationReader {
    SpeechEngine* engine = nullptr;
    VoiceChoice voice;
};
