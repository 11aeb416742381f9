// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One deck's conversion in a child process: the same program, convert, with a display of its
// own, so that a deck that crashes or hangs takes nothing else with it. The child leads a
// process group of its own (Ctrl+C at the terminal reaches only the batch, which stops its
// children in order) and carries a mark in its environment that everything it starts inherits
// (its display, LibreOffice, the browser engine), so that after a forced stop every process of
// that deck is found and ended, whatever session it put itself in.

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

class BatchWorker {
public:
    BatchWorker() = default;
    ~BatchWorker();
    BatchWorker(const BatchWorker&) = delete;
    BatchWorker& operator=(const BatchWorker&) = delete;

    // Starts program with args, stdout and stderr into logPath. False with a reason.
    bool Start(const std::string& program, const std::vector<std::string>& args, const std::string& logPath,
               std::string& error);
    // True once the child has ended (and is reaped); waitStatus as from waitpid.
    bool Ended(int& waitStatus);
    // Asks the child to stop (SIGTERM); it cleans up as after Ctrl+C.
    void AskToStop();
    bool AskedToStop() const { return stopAsked_; }
    std::chrono::steady_clock::time_point stopAskedAt() const { return stopAskedAt_; }
    // Kills the group and every process carrying this worker's mark; waits for the child.
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

// The processes whose environment holds DECKREC_BATCH_WORKER=mark.
std::vector<pid_t> ProcessesMarked(const std::string& mark);

// Why a child ended as it did, when not by exiting: "crashed (signal 11, Segmentation fault)".
std::string WaitStatusText(int waitStatus);
