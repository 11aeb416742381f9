// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/run_outputs.h"

#include "platform/interruption.h"
#include "cli/output_plan.h"
#include "cli/terminal.h"
#include "core/private_working_directory.h"

#include <cstdio>

namespace {

// A library's error (a full disk, a file-size limit) need not say which file it was writing.
std::string NamingTheOutput(const std::string& path, const std::string& message)
{
    return message.find(path) != std::string::npos ? message : "cannot write " + path + ": " + message;
}

} // namespace

ExitStatus WriteOutputs(const std::vector<PlannedOutput>& plan, const CommandLine& command,
                        const RecordingToExport& recording, EncoderFacility& encoders, Terminal& terminal)
{
    ExitStatus status = kExitSuccess;
    for (const PlannedOutput& output : plan) {
        try {
            terminal.Output(output.path, WriteOutput(output, command, recording, encoders, terminal, Interrupted));
        } catch (const InterruptedError&) {
            terminal.Error("interrupted; " + output.path + " was not written");
            return kExitInterrupted;
        } catch (const std::exception& e) {
            terminal.Error(NamingTheOutput(output.path, e.what()));
            status = kExitFailure;
        }
    }
    return status;
}

int RunReportingErrors(const CommandLine& command, const std::function<int(Terminal&)>& body)
{
    CatchInterruptions();
    // What killed runs left in the cache: found at the next start, for no one else cleans it.
    RemoveWorkingDirectoriesOfEndedRuns();
    Terminal terminal(command.quiet);
    if (command.jsonProgress)
        terminal.ReportEvents(command.input, command.outputs);
    int status = kExitFailure;
    std::string usageError;
    try {
        status = body(terminal);
    } catch (const OutputOptionsError& e) {
        // A usage error found once the encoders are known reads as any other.
        std::fflush(stdout);
        std::fputs(UsageErrorText(e.what()).c_str(), stderr);
        status = kExitUsage;
        usageError = e.what();
    } catch (const std::exception& e) {
        terminal.Error(e.what());
    }
    terminal.Finish(status, usageError);
    return status;
}
