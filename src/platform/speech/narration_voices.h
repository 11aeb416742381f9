// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Who reads a deck's notes: an engine and voice per language the notes are marked in, chosen
// once each. The deck's main language is read with the voice and command asked for; another
// language gets its own best voice, or the main voice, with a warning, when no engine speaks it.

#include "platform/speech/speech_choice.h"
#include "platform/speech_engine.h"

#include <functional>
#include <map>
#include <string>

class NarrationVoices {
public:
    using Warn = std::function<void(const std::string&)>;
    // Throws DeckrecError at once when voice names no voice or ttsCommand lacks {wav}. Every
    // voice stops reading once stopped says so (SpeechEngine::StopWhen).
    NarrationVoices(std::string voice, std::string ttsCommand, Warn warn, std::function<bool()> stopped = {});
    NarrationReader For(const std::string& language, bool mainLanguage);

private:
    ChosenSpeech Stoppable(ChosenSpeech chosen) const;

    std::string voice_;
    std::string ttsCommand_;
    Warn warn_;
    std::function<bool()> stopped_;
    std::map<std::pair<std::string, bool>, ChosenSpeech> chosen_;
};
