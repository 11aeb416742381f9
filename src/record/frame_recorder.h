#pragma once
// The work of one frame slot: grab the capture rectangle, draw the cursor, and store the
// picture as the slot's frame file when it is not blank and differs from the last stored one.

#include "core/picture.h"
#include "core/working_files.h"
#include "platform/cursor_source.h"
#include "platform/input_injector.h"
#include "platform/screen_grabber.h"
#include "record/sample_grid.h"

class FrameRecorder {
public:
    enum class SlotResult { Blank, Unchanged, Stored };

    // Stored slots become frame files of files' working directory.
    FrameRecorder(ScreenGrabber& grabber, CursorSource& cursor, InputInjector& input, WorkingFiles files);

    // One slot, in this order: pointer position, grab, blank test, cursor, comparison, storage.
    // SaveFrame's errors pass through.
    // The blank test's positions follow scale, that of the capture before its trim.
    SlotResult CaptureSlot(const ScreenRect& rect, int slot, bool drawCursor, const SampleScale& scale = {});

    // Grabs rect into the current picture without storing anything.
    Picture& Grab(const ScreenRect& rect);

    // The picture of the last grab (with the cursor when it was drawn); callers may scale it,
    // the next grab gives it the rectangle's size again.
    Picture& current() { return current_; }

private:
    ScreenGrabber& grabber_;
    CursorSource& cursorSource_;
    InputInjector& input_;
    WorkingFiles files_;
    Picture current_;
    Picture lastStored_; // empty until the first store, so the first non-blank picture differs
    CursorImage cursor_;
};
