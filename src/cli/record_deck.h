#pragma once
// A deck played once through the Recorder with Auto Record, on whatever display the run has,
// until its show ends: the same window, capture loop and frame store as the windows use.

#include "cli/command_line.h"
#include "core/working_files.h"

#include <string>

class SoundInputService;
class Terminal;

struct DeckRecording {
    int frameCount = 0;
    bool withSound = false;
};

// deck is an absolute path; the slide show's conversion is cached in converterFolder. Needs the
// application object. Throws DeckrecError when the deck cannot be shown or the recording fails,
// InterruptedError after Ctrl+C; the Recorder is closed and LibreOffice stopped either way.
DeckRecording RecordDeck(const CommandLine& command, const std::string& deck, const WorkingFiles& files,
                         const std::string& converterFolder, SoundInputService* soundInput, Terminal& terminal);
