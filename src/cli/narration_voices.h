// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Who reads a deck's notes with --narrate: an engine and voice per language the notes are marked
// in, chosen once each. The deck's main language is read as --voice and --tts-command say;
// another language gets its own best voice, or the main voice, with a warning, when no engine
// speaks it.

#include "cli/command_line.h"
#include "cli/deck_narration.h"
#include "platform/speech/speech_choice.h"

#include <map>
#include <string>

class Terminal;

class NarrationVoices {
public:
    // Throws DeckrecError at once when --voice names no voice or --tts-command lacks {wav}.
    NarrationVoices(const CommandLine& command, Terminal& terminal);
    NarrationReader For(const std::string& language, bool mainLanguage);

private:
    const CommandLine& command_;
    Terminal& terminal_;
    std::map<std::pair<std::string, bool>, ChosenSpeech> chosen_;
};
