// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Stores frame files on a thread of its own: a stored slot's picture is compressed and written
// while the capture loop waits for its next slot, on the other core, instead of inside the
// slot's own time. One picture is in hand at a time, and the loop learns of a write before it
// takes its next slot, so a failing frame store stops the session at the same slot as before.

#include "core/picture.h"
#include "core/working_files.h"

#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

class FrameWriter {
public:
    explicit FrameWriter(WorkingFiles files);
    // Finishes the write in hand; its error, if any, is dropped.
    ~FrameWriter();
    FrameWriter(const FrameWriter&) = delete;
    FrameWriter& operator=(const FrameWriter&) = delete;

    // Hands picture over as slot's frame file; waits first for the write in hand.
    void Store(const Picture& picture, int slot);
    // Waits until the picture in hand is written; throws the write's error (once).
    void AwaitWritten();

private:
    void Run();

    WorkingFiles files_;
    std::mutex mutex_;
    std::condition_variable changed_;
    Picture picture_;
    int slot_ = 0;     // the slot in hand, 0 when none
    bool stop_ = false;
    std::exception_ptr error_;
    std::thread thread_; // last: it starts once everything above is there
};
