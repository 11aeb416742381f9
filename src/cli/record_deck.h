// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A deck played once with Auto Record, on whatever display the run has, until its show ends:
// the same recording session, frame source and frame store as the windows use, in a window of
// the command line's own. With sound on the show's clock it is played twice: live, with the
// sound and no frames, then in a view of its own on the show's clock, the live run's actions
// at their logged moments, for the frames.

#include "cli/command_line.h"
#include "core/frame_period.h"
#include "core/narration_plan.h"
#include "core/performance_log.h"
#include "core/slide_timeline.h"
#include "core/working_files.h"
#include "record/deck_text.h"

#include <functional>
#include <optional>
#include <string>

class SoundInputService;
class Terminal;

struct DeckRecording {
    int frameCount = 0;
    bool withSound = false;
    double framePeriodMs = kDefaultFramePeriodMs;
    // The session stopped at the slot limit before the show ended; lastCaption tells how far
    // the show got ("4,Results").
    bool reachedSlotLimit = false;
    std::string lastCaption;
    // Where each slide came on screen, and, when the outputs need them (OutputsNeedNotes), the
    // deck's titles and notes; notesRead false when they could not be read.
    std::vector<SlideMark> slides;
    DeckText text;
    bool notesRead = false;
    // With sound on the show's clock (PerformsLive): what the show did live, which the
    // pictures were rendered from.
    PerformanceLog performance;
    // Narrated: the plan the frames were rendered from (performance is its log).
    std::optional<NarrationPlan> narration;
};

// A narrated recording's plan, made from the deck's flat XML (its path) and its text once the
// show is open, before any frame is drawn; it writes the sound track itself.
using Narrator = std::function<NarrationPlan(const std::string& flatDeck, const DeckText& text)>;

// deck is an absolute path; the slide show's conversion is cached in converterFolder. Needs the
// application object. Throws DeckrecError when the deck cannot be shown or the recording fails,
// InterruptedError after Ctrl+C; the window is closed and LibreOffice stopped either way. With a
// narrator the frames are rendered on the show's clock from its plan's log.
DeckRecording RecordDeck(const CommandLine& command, const std::string& deck, const WorkingFiles& files,
                         SoundInputService* soundInput, Terminal& terminal, const Narrator& narrator = {});

// The pictures of a performance played before (a kept recording's whose run was killed while
// the show played live), rendered as RecordDeck renders its own: in a view on the show's
// clock at command's capture size and frame rate, each action at its logged moment, until the
// slots cover log.endMs. known: what is known of the deck already (its notes). Throws as
// RecordDeck does.
DeckRecording RenderPerformance(const CommandLine& command, const std::string& deck, const WorkingFiles& files,
                                const PerformanceLog& log, DeckRecording known, Terminal& terminal);
