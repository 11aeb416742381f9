// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// convert --narrate and --narration DIR: each slide's notes read aloud, or its recorded take,
// placed on the recording's sound track at the moment the plan gives the slide, and the plan
// whose slide actions the frames are rendered from.

#include "cli/command_line.h"
#include "core/narration_plan.h"
#include "core/working_files.h"
#include "record/deck_text.h"

#include "platform/speech_engine.h"

#include <functional>
#include <string>

class Terminal;

// Who reads notes marked in language ("" where none is marked); mainLanguage: the language most
// of the deck's notes are in.
struct NarrationReader {
    SpeechEngine* engine = nullptr;
    VoiceChoice voice;
};
using NarrationReaders = std::function<NarrationReader(const std::string& language, bool mainLanguage)>;

// flatDeck: the deck as LibreOffice's flat XML; text: its titles and notes. Writes the sound
// track to files' sound file, each slide's narration brought to the same loudness. readers
// speak with --narrate (none without it). Throws DeckrecError, before anything is recorded,
// when a take cannot be used, a voice fails or the narration runs past the recording's slot
// limit.
NarrationPlan NarrateDeck(const CommandLine& command, const std::string& flatDeck, const DeckText& text,
                          const WorkingFiles& files, const NarrationReaders& readers, Terminal& terminal);
