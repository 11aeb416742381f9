// SPDX-License-Identifier: GPL-3.0-or-later
#include "record/frame_writer.h"

#include "core/frame_store.h"

#include <utility>

FrameWriter::FrameWriter(WorkingFiles files)
    : files_(std::move(files))
    , thread_([this] { Run(); })
{
}

FrameWriter::~FrameWriter()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void FrameWriter::Store(const Picture& picture, int slot)
{
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return slot_ == 0; });
    picture_ = picture;
    slot_ = slot;
    lock.unlock();
    changed_.notify_all();
}

void FrameWriter::AwaitWritten()
{
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return slot_ == 0; });
    if (error_)
        std::rethrow_exception(std::exchange(error_, nullptr));
}

void FrameWriter::Run()
{
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return slot_ != 0 || stop_; });
        if (slot_ == 0)
            return;
        // The picture stays put while the lock is open: Store waits for slot_ to clear.
        lock.unlock();
        std::exception_ptr error;
        try {
            SaveFrame(files_, picture_, slot_);
        } catch (...) {
            error = std::current_exception();
        }
        lock.lock();
        if (error && !error_)
            error_ = error;
        slot_ = 0;
        changed_.notify_all();
    }
}
