// The program's start: the command line is read before any application object exists, so that
// --help, --version and a usage error need no display; then the windows, a conversion or an
// export runs.
#include "cli/command_line.h"
#include "cli/convert_command.h"
#include "cli/export_command.h"
#include "cli/run_outputs.h"
#include "ui/windows_main.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    const ParsedCommandLine parsed = ParseCommandLine(args);
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "deckrec: %s\n\n%s\nSee deckrec --help for the options.\n", parsed.error.c_str(),
                     ShortUsageText().c_str());
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
