// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A helper program (a display server, a sound server) that lives exactly as long as this run:
// started in a session of its own, so that Ctrl+C in the terminal reaches only this program,
// which then stops it in order; and told by the kernel to end should this program die.

#include <string>
#include <sys/types.h>
#include <vector>

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess() { Stop(); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts argv[0] (searched in PATH) with the extra environment entries ("NAME=value").
    // keepFd stays open in the child (for a readiness report), -1 for none; stdout and stderr
    // go to logPath. False with a reason when it cannot be started.
    bool Start(const std::vector<std::string>& argv, const std::vector<std::string>& environment, int keepFd,
               const std::string& logPath, std::string& error);
    // Asks the program to end, waits up to two seconds, then kills it. Harmless when not running.
    void Stop();
    // Whether it still runs (it may have ended on an error).
    bool Running();
    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
};
