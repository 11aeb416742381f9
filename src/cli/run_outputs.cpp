#include "cli/run_outputs.h"

#include "cli/interruption.h"
#include "cli/output_plan.h"
#include "cli/terminal.h"

ExitStatus WriteOutputs(const std::vector<PlannedOutput>& plan, const CommandLine& command,
                        const RecordingToExport& recording, EncoderFacility& encoders, Terminal& terminal)
{
    ExitStatus status = kExitSuccess;
    for (const PlannedOutput& output : plan) {
        try {
            terminal.Summary(WriteOutput(output, command, recording, encoders, terminal, Interrupted));
        } catch (const InterruptedError&) {
            terminal.Error("interrupted; " + output.path + " was not written");
            return kExitInterrupted;
        } catch (const std::exception& e) {
            terminal.Error(e.what());
            status = kExitFailure;
        }
    }
    return status;
}

int RunReportingErrors(const CommandLine& command, const std::function<int(Terminal&)>& body)
{
    CatchInterruptions();
    Terminal terminal(command.quiet);
    try {
        return body(terminal);
    } catch (const OutputOptionsError& e) {
        terminal.Error(e.what());
        return kExitUsage;
    } catch (const std::exception& e) {
        terminal.Error(e.what());
        return kExitFailure;
    }
}
