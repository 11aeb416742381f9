// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// espeak-ng, linked in: a voice for some hundred languages, clear at any speed if robotic. The
// library keeps one voice and one synthesis for the whole process, so every call takes turns.

#include "platform/speech_engine.h"

class EspeakSpeechEngine : public SpeechEngine {
public:
    SpokenText Speak(const std::vector<std::string>& sentences, const VoiceChoice& voice) override;
    std::string Describe(const VoiceChoice& voice) const override;

    // Whether espeak-ng has a voice of that name ("German", "English (America)", "en-us",
    // "en-us+f3" with a variant) or for that language ("de", "pt-BR").
    static bool HasVoice(const std::string& name);
    static bool HasLanguage(const std::string& language);
};
