// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a run that plays a deck in the browser needs around it: a display (the desktop's,
// taken in turn with other conversions, or one of its own when there is none or --headless
// asks), a sound server of its own for sound on such a display, the browser engine's
// environment and the application object. The servers stop in reverse order at the end.

#include "cli/cli_application.h"
#include "cli/command_line.h"

#include <memory>
#include <string>

class DisplayLock;
class PrivateDisplay;
class PrivateSoundServer;
class ScopedWorkingFolder;
class Terminal;

class ShowEnvironment {
public:
    // scratchFolder (ending in "/") takes the servers' logs and the browser's runtime folder.
    // programPath is argv[0]. Throws DeckrecError when a server of its own cannot start.
    ShowEnvironment(const CommandLine& command, const std::string& scratchFolder, char* programPath, Terminal& terminal);
    ~ShowEnvironment();
    ShowEnvironment(const ShowEnvironment&) = delete;
    ShowEnvironment& operator=(const ShowEnvironment&) = delete;

    // False when the run was interrupted while it waited for the desktop's display: there is
    // no application object then.
    bool ready() const { return app_ != nullptr; }
    CliApplication& app() { return *app_; }

private:
    void StartPrivateServers(const CommandLine& command, const std::string& logFolder);

    std::unique_ptr<PrivateDisplay> display_;
    std::unique_ptr<ScopedWorkingFolder> soundFolder_;
    std::unique_ptr<PrivateSoundServer> sound_;
    std::unique_ptr<DisplayLock> lock_;
    int argc_ = 1;
    char* argv_[2] = {nullptr, nullptr};
    std::unique_ptr<CliApplication> app_;
};
