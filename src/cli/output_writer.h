#pragma once
// Writes one planned output from a recording's working files, with its bar on the terminal, and
// returns its one-line summary. Every output is written beside its target and renamed over it
// only when complete.

#include "cli/command_line.h"
#include "cli/output_plan.h"
#include "core/frame_period.h"
#include "core/working_files.h"

#include <functional>
#include <stdexcept>
#include <string>

class EncoderFacility;
class Terminal;

// Thrown when the run was interrupted during an export.
class InterruptedError : public std::runtime_error {
public:
    InterruptedError() : std::runtime_error("interrupted") {}
};

struct RecordingToExport {
    WorkingFiles files;
    int frameCount = 0;
    bool withSound = false;
    // How long each slot lasts: kept recordings carry theirs in recording.json.
    double framePeriodMs = kDefaultFramePeriodMs;
};

// Throws DeckrecError (or InterruptedError) on failure; the target is then untouched.
std::string WriteOutput(const PlannedOutput& output, const CommandLine& command, const RecordingToExport& recording,
                        EncoderFacility& encoders, Terminal& terminal, const std::function<bool()>& interrupted);
