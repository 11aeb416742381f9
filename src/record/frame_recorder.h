// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The work of one frame slot: take the show's picture, draw the pointer, and store the picture
// as the slot's frame file when it is not blank and differs from the last stored one.

#include "core/picture.h"
#include "core/working_files.h"
#include "record/frame_source.h"
#include "record/frame_writer.h"

class FrameRecorder {
public:
    enum class SlotResult { Blank, Unchanged, Stored };

    // Stored slots become frame files of files' working directory; source is not owned.
    FrameRecorder(FrameSource& source, WorkingFiles files);

    // One slot, in this order: grab, blank test, pointer, comparison, storage. The frame file
    // is written on the writer's thread; AwaitStored waits for it.
    SlotResult CaptureSlot(int slot, bool drawCursor);
    // Waits until the last stored slot's frame file is written; SaveFrame's errors pass through.
    void AwaitStored() { writer_.AwaitWritten(); }

    // The picture of the last grab (with the pointer when it was drawn); callers may scale it,
    // the next grab gives it the capture size again.
    Picture& current() { return current_; }

private:
    FrameSource& source_;
    FrameWriter writer_;
    Picture current_;
    Picture lastStored_; // empty until the first store, so the first non-blank picture differs
};
