#pragma once
// The work of one frame slot: take the show's picture, draw the pointer, and store the picture
// as the slot's frame file when it is not blank and differs from the last stored one.

#include "core/picture.h"
#include "core/working_files.h"
#include "record/frame_source.h"

class FrameRecorder {
public:
    enum class SlotResult { Blank, Unchanged, Stored };

    // Stored slots become frame files of files' working directory; source is not owned.
    FrameRecorder(FrameSource& source, WorkingFiles files);

    // One slot, in this order: grab, blank test, pointer, comparison, storage. SaveFrame's
    // errors pass through.
    SlotResult CaptureSlot(int slot, bool drawCursor);

    // The picture of the last grab (with the pointer when it was drawn); callers may scale it,
    // the next grab gives it the capture size again.
    Picture& current() { return current_; }

private:
    FrameSource& source_;
    WorkingFiles files_;
    Picture current_;
    Picture lastStored_; // empty until the first store, so the first non-blank picture differs
};
