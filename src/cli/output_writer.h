// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Writes one planned output from a recording's working files, with its bar on the terminal, and
// returns its one-line summary. Every output is written beside its target and renamed over it
// only when complete.

#include "cli/command_line.h"
#include "cli/output_plan.h"
#include "core/frame_period.h"
#include "core/slide_timeline.h"
#include "core/working_files.h"
#include "platform/interruption.h"

#include <functional>
#include <stdexcept>
#include <string>

class EncoderFacility;
class Terminal;

struct RecordingToExport {
    WorkingFiles files;
    int frameCount = 0;
    bool withSound = false;
    double framePeriodMs = kDefaultFramePeriodMs;
    // The slide timeline (none: a recording that kept none) and each slide's speaker notes
    // (slide n's at [n - 1]).
    std::vector<SlideMark> slides{};
    std::vector<std::string> notes{};
    bool notesRead = false; // false: the deck's notes could not be read
    // A narrated recording's own timeline: a chapter from where each slide's narration starts,
    // a caption a sentence as it is said; without narration both are made from slides and notes.
    bool narrated = false;
    std::vector<TimedText> narratedChapters{};
    std::vector<TimedText> narratedCaptions{};
};

// Whether a run's outputs need the deck's speaker notes.
bool OutputsNeedNotes(const CommandLine& command);

// Throws DeckrecError (or InterruptedError) on failure; the target is then untouched.
std::string WriteOutput(const PlannedOutput& output, const CommandLine& command, const RecordingToExport& recording,
                        EncoderFacility& encoders, Terminal& terminal, const std::function<bool()>& interrupted);
