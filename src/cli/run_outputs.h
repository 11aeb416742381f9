// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The exports of a run, one output after the other: a failed output is reported and the next
// one still written, so that outputs already finished are kept.

#include "cli/output_writer.h"
#include "core/exit_status.h"

#include <functional>
#include <vector>


// Runs a command with Ctrl+C caught and a terminal of its own: an error that escapes it is one
// line on stderr and kExitUsage when the options are at fault, else kExitFailure.
int RunReportingErrors(const CommandLine& command, const std::function<int(Terminal&)>& body);

// kExitSuccess when every output was written, kExitFailure when one failed, kExitInterrupted
// after Ctrl+C (the output being written is left as it was).
ExitStatus WriteOutputs(const std::vector<PlannedOutput>& plan, const CommandLine& command,
                        const RecordingToExport& recording, EncoderFacility& encoders, Terminal& terminal);
