// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Which engine and voice read a deck's notes: --tts-command's command, else the built-in
// engine; --voice's language or name, unless a slide's notes are marked in a language of
// their own.

#include "cli/command_line.h"
#include "platform/speech_engine.h"

#include <memory>
#include <string>

// The engine --narrate speaks with. Throws DeckrecError when none can speak.
std::unique_ptr<SpeechEngine> MakeSpeechEngine(const CommandLine& command);

// The voice of a slide: its notes' language when they name one, else --voice ("de" and
// "en-US" are languages, anything else a voice's name), else the engine's default.
VoiceChoice VoiceForSlide(const std::string& voiceOption, const std::string& notesLanguage);
