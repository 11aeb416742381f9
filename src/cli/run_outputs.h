#pragma once
// The exports of a run, one output after the other: a failed output is reported and the next
// one still written, so that outputs already finished are kept.

#include "cli/output_writer.h"

#include <vector>

enum ExitStatus { kExitSuccess = 0, kExitFailure = 1, kExitUsage = 2, kExitInterrupted = 130 };

// kExitSuccess when every output was written, kExitFailure when one failed, kExitInterrupted
// after Ctrl+C (the output being written is left as it was).
ExitStatus WriteOutputs(const std::vector<PlannedOutput>& plan, const CommandLine& command,
                        const RecordingToExport& recording, EncoderFacility& encoders, Terminal& terminal);
