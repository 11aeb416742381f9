// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Flite, linked in with its US English voices: statistical (clustergen) voices recorded from
// real speakers, and a diphone voice. English only.

#include "platform/speech_engine.h"

#include <string>
#include <vector>

class FliteSpeechEngine : public SpeechEngine {
public:
    // An empty VoiceChoice name speaks with kDefaultVoice.
    SpokenText Speak(const std::vector<std::string>& sentences, const VoiceChoice& voice) override;
    std::string Describe(const VoiceChoice& voice) const override;

    // The voices linked in, by their full names ("cmu_us_slt").
    static std::vector<std::string> VoiceNames();
    // The full name of a voice given by its full or short name ("slt"), "" when there is none.
    static std::string VoiceNamed(const std::string& name);
    // English, in any of its regional forms.
    static bool HasLanguage(const std::string& language);

    // The voice a listening test understood best (bench/speech_intelligibility.sh: 89.6 % of the
    // words recovered; awb 81.6, slt 80.9, kal16 79.5, espeak-ng's en-us 23.5).
    static constexpr const char* kDefaultVoice = "cmu_us_rms";
};
