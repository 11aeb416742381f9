// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the program was asked to do: open the windows (perhaps with a deck), print its usage or
// version, convert a deck, or export a kept recording. Parsed before any application object
// exists, so that --help and a usage error need no display.

#include "core/frame_period.h"
#include "record/recorder_host.h"

#include <optional>
#include <string>
#include <vector>

enum class Command { Windows, Help, Version, Convert, Export };

// The outputs' size: a list width of the windows (shape kept), an exact size, or the recording's own.
struct OutputSize {
    enum class Kind { FirstListItem, Exact, Original } kind = Kind::FirstListItem;
    int width = 0;
    int height = 0;
};

struct CommandLine {
    Command command = Command::Windows;
    // Convert: the deck. Export: the recording folder. Windows: a deck to open, or empty.
    std::string input;
    std::vector<std::string> outputs;

    int latencyMs = 5000;
    bool cursor = false;
    bool audio = false;
    std::string audioSource; // a sound server source; empty: the monitor of the default output
    CaptureSize capture;
    OutputSize size;
    bool grayScale = false;
    bool floydSteinberg = false;
    bool gifBestQuality = false; // whole frames instead of difference frames
    bool gifHighFidelity = false;
    // High Fidelity's tolerance (--gif-tolerance, implies --gif-hifi) and a size budget
    // (--gif-max-size, bytes; 0: none).
    int gifTolerance = 0;
    long long gifMaxBytes = 0;
    std::string encoder;         // a FourCC; empty: the format's default
    std::optional<int> quality;  // 0..10000; unset: the windows' default
    int bits = 24;
    std::string keepRecording;
    bool quiet = false;
    // --progress json: the run's events as JSON lines on stdout instead of the bar (batch reads them).
    bool jsonProgress = false;
    bool fast = false;       // accepted for older scripts: the show's own time is as fast
    bool realtime = false;   // record on the wall clock even without sound
    double framesPerSecond = 1000.0 / kDefaultFramePeriodMs;
    bool headless = false;
    bool strictFonts = false; // a font the show cannot draw is an error, not a warning
    bool allowMissingFrames = false; // export: frame files gone from a kept recording are a warning
    // LibreOffice and the browser fetch what the deck links on the network; by default such a
    // picture is drawn as a missing link and named in a warning.
    bool allowRemoteContent = false;
    // --max-minutes: how long a recording may run; 0 keeps the windows' limit of 9999 slots.
    double maxMinutes = 0;
    // A subtitle track of the speaker notes in every MP4, WebM and MKV output.
    bool captions = false;
    // A slide the deck advances by itself after a set time moves on at that time; false: every
    // step waits for the latency.
    bool deckTimings = true;
    // Narration: the notes read aloud (--narrate, with voice or ttsCommand) and recorded takes
    // (--narration DIR) make the sound track and set each slide's time; the pause after each
    // slide's narration.
    bool narrate = false;
    std::string narrationFolder;
    double narrationGapSeconds = 0.8;
    std::string voice;
    std::string ttsCommand;
};

inline bool Narrates(const CommandLine& c)
{
    return c.narrate || !c.narrationFolder.empty();
}

// A conversion plays the show on its own clock, frame by frame as fast as it renders, unless it
// records sound or is asked for real time.
inline bool RecordsOnShowTime(const CommandLine& c)
{
    return !c.audio && !c.realtime;
}

// With sound and not asked for real time, the show is first played live with the sound, its
// slide actions logged, and its frames are then rendered on the show's own clock from the log.
inline bool PerformsLive(const CommandLine& c)
{
    return c.audio && !c.realtime;
}

// The session's slot limit (RecorderHost::SlotLimit): the windows' default, or the slots of
// maxMinutes at the frame period and one more, at most as many as a recording can hold.
int SlotLimitOf(const CommandLine& c);

struct ParsedCommandLine {
    CommandLine command;
    std::string error; // a usage error: the one line to print before the usage; empty when fine
};

// args without the program name.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args);

// The usage error of a convert command line (args from "convert" on), or empty: what a batch
// checks the options it passes on against.
std::string ConvertUsageError(const std::vector<std::string>& args);

std::string UsageText();
// The usage lines alone, for a usage error.
std::string ShortUsageText();
// What a usage error prints: its line, then the usage lines in full and where to read more.
std::string UsageErrorText(const std::string& error);
std::string VersionText();

// Outputs of the deck's text rather than its pictures: NAME.chapters.txt, NAME.vtt, NAME.srt.
enum class DeckTextOutput { None, ChapterList, WebVtt, SubRip };
DeckTextOutput DeckTextOutputOf(const std::string& path);
