// SPDX-License-Identifier: GPL-3.0-or-later
#include "record/frame_recorder.h"

#include "core/picture_ops.h"
#include "record/sample_grid.h"

#include <utility>

FrameRecorder::FrameRecorder(FrameSource& source, WorkingFiles files)
    : source_(source)
    , writer_(std::move(files))
{
}

FrameRecorder::SlotResult FrameRecorder::CaptureSlot(int slot, bool drawCursor)
{
    source_.Grab(current_);
    const bool blank = IsBlankPicture(current_, source_.Scale());
    // The pointer is drawn into blank pictures too; they are just not stored.
    if (drawCursor)
        source_.DrawPointer(current_);
    if (blank)
        return SlotResult::Blank;
    if (SameImage(current_, lastStored_))
        return SlotResult::Unchanged;
    lastStored_ = current_;
    writer_.Store(current_, slot);
    return SlotResult::Stored;
}
