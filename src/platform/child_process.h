// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A program this run starts and answers for: a helper server (a display, a sound server) that
// lives exactly as long as the run, or a deck's conversion in a batch. It is started apart from
// the terminal, so that Ctrl+C reaches only this program, which then stops it in order; it is
// told by the kernel to end should this program die; and its output goes to a log.
//
// A conversion may also carry a mark in its environment that everything it starts inherits
// (its display, LibreOffice, the browser engine), so that after a forced stop every process it
// left is found and ended, whatever session that process put itself in.

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

struct ChildOptions {
    // A session of its own (a server: no controlling terminal at all), or only a process group
    // of its own (a conversion: it starts servers of its own in sessions of theirs).
    bool ownSession = true;
    // "NAME=value" given to the child and so to everything it starts; empty for none.
    std::string mark;
};

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess() { Stop(); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts argv[0] (searched in PATH) with the extra environment entries ("NAME=value", in
    // place of this program's entries of those names). keepFd stays open in the child (for a
    // readiness report), -1 for none; stdout and stderr go to logPath. False with a reason.
    bool Start(const std::vector<std::string>& argv, const std::vector<std::string>& environment, int keepFd,
               const std::string& logPath, std::string& error, const ChildOptions& options = {});
    // True once it has ended (and is reaped); waitStatus as from waitpid.
    bool Ended(int& waitStatus);
    // Whether it still runs (it may have ended on an error).
    bool Running();
    // Asks it alone to end (SIGTERM) and returns: a conversion stops its own servers in order,
    // which a signal to its whole group would end under its feet.
    void AskToStop();
    bool AskedToStop() const { return stopAsked_; }
    std::chrono::steady_clock::time_point stopAskedAt() const { return stopAskedAt_; }
    // Asks its whole group to end, waits up to two seconds, then kills it; then what carries
    // its mark. Harmless when not running.
    void Stop();
    // Kills its group at once, waits for it, then kills what carries its mark.
    void Kill();
    // Kills whatever still carries the mark (what outlived a child that ended by itself).
    void KillLeftovers() const;

    pid_t pid() const { return pid_; }
    std::chrono::steady_clock::time_point startedAt() const { return startedAt_; }

private:
    pid_t pid_ = -1;
    std::string mark_;
    bool stopAsked_ = false;
    std::chrono::steady_clock::time_point startedAt_;
    std::chrono::steady_clock::time_point stopAskedAt_;
};

// The processes other than this one whose environment holds mark ("NAME=value") as an entry.
std::vector<pid_t> ProcessesMarked(const std::string& mark);

// Why a child ended as it did, when not by exiting: "crashed (signal 11, Segmentation fault)".
std::string WaitStatusText(int waitStatus);
