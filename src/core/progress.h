// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Progress and cancel of a long job (a video export, a GIF build or save). The library reports
// through it, a window draws a bar and handles its messages in idle(), the command line draws
// a terminal bar and asks its interruption flag, a test counts calls. Every member may be
// empty.

#include "core/deckrec_error.h"

#include <functional>

// A job stopped through Progress::cancelled: not a failure, so front ends show no error box
// for it. Each job raises its own kind with its own text.
class OperationCancelled : public DeckrecError {
public:
    using DeckrecError::DeckrecError;
};

struct Progress {
    // done of total steps; total stays the same for the whole job.
    std::function<void(long long done, long long total)> report;
    // Between steps: a window handles its messages here (nested handlers run inside it).
    std::function<void()> idle;
    // Asked between steps; true stops the job.
    std::function<bool()> cancelled;

    void Report(long long done, long long total) const
    {
        if (report)
            report(done, total);
    }
    void Idle() const
    {
        if (idle)
            idle();
    }
    bool Cancelled() const { return cancelled && cancelled(); }
};
