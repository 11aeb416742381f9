// SPDX-License-Identifier: GPL-3.0-or-later
// The program's start: the command line is read before any application object exists, so that
// --help, --version and a usage error need no display; then the windows, a conversion or an
// export runs.
#include "batch/batch_command.h"
#include "cli/command_line.h"
#include "cli/convert_command.h"
#include "cli/export_command.h"
#include "cli/run_outputs.h"
#include "ui/windows_main.h"

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    // Under a file-size limit (ulimit -f) a write past it would end the program with no word
    // and leave its part file; ignored, the write fails with EFBIG and is reported as such.
    std::signal(SIGXFSZ, SIG_IGN);
    const std::vector<std::string> args(argv + 1, argv + argc);
    // A batch has options of its own and passes convert's on to each deck.
    if (!args.empty() && args[0] == "batch")
        return RunBatch(std::vector<std::string>(args.begin() + 1, args.end()), argv[0], ConvertUsageError);
    const ParsedCommandLine parsed = ParseCommandLine(args);
    if (!parsed.error.empty()) {
        std::fputs(UsageErrorText(parsed.error).c_str(), stderr);
        return kExitUsage;
    }
    switch (parsed.command.command) {
    case Command::Help:
        std::fputs(UsageText().c_str(), stdout);
        return kExitSuccess;
    case Command::Version:
        std::fputs(VersionText().c_str(), stdout);
        return kExitSuccess;
    case Command::Convert:
        return RunConvert(parsed.command, argv[0]);
    case Command::Export:
        return RunExport(parsed.command, argv[0]);
    case Command::Windows:
        break;
    }
    return RunWindows(argc, argv, parsed.command.input);
}
