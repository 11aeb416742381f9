// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A narrated recording: each slide's notes read aloud, or its recorded take, placed on the
// recording's sound track at the moment the plan gives the slide, and the plan whose slide
// actions the frames are rendered from. The command line and the windows narrate alike.

#include "core/narration_plan.h"
#include "core/working_files.h"
#include "core/frame_period.h"
#include "record/deck_text.h"
#include "record/recorder_host.h"

#include "platform/speech_engine.h"

#include <functional>
#include <string>

// What a narration is made of and how it is timed.
struct NarrationSettings {
    bool narrate = false;      // notes read aloud where a slide has no take
    std::string voice;         // who reads them: a voice name, or empty
    std::string ttsCommand;    // or a command of the user's own
    std::string takesFolder;   // recorded takes slide-NN.wav; empty: none
    long long gapMs = kDefaultNarrationGapMs; // the pause after each slide's narration
    int latencyMs = 5000;      // how long a slide with nothing to say is shown
    int slotLimit = kDefaultSlotLimit;            // the recording's slots, the last one kept free
    double framePeriodMs = kDefaultFramePeriodMs; // one slot's length
    // Named in the error of a narration longer than the slot limit: what records for longer.
    std::string longerLimitHint = "a longer recording limit";
};

inline bool Narrates(const NarrationSettings& s)
{
    return s.narrate || !s.takesFolder.empty();
}

// What a narration tells as it is made: warnings (a take left out, a voice missing), what it
// is doing (a slide's notes being read) and how far it is; and whether it is still wanted.
struct NarrationReports {
    std::function<void(const std::string&)> warning;
    std::function<void(const std::string&)> status;
    // slide of slideCount is being read or placed
    std::function<void(int slide, int slideCount)> progress;
    // true: the narration ends at the next slide, nothing written (InterruptedError)
    std::function<bool()> stopped;
};

// Who reads notes marked in language ("" where none is marked); mainLanguage: the language most
// of the deck's notes are in.
using NarrationReaders = std::function<NarrationReader(const std::string& language, bool mainLanguage)>;

// flatDeck: the deck as LibreOffice's flat XML; text: its titles and notes. Writes the sound
// track to files' sound file, each slide's narration brought to the same loudness. readers
// speak when settings narrate (none otherwise). Throws DeckrecError, before anything is
// recorded, when a take cannot be used, a voice fails or the narration runs past the
// recording's slot limit.
NarrationPlan NarrateDeck(const NarrationSettings& settings, const std::string& flatDeck, const DeckText& text,
                          const WorkingFiles& files, const NarrationReaders& readers,
                          const NarrationReports& reports);
