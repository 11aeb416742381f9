#include "record/frame_recorder.h"

#include "core/frame_store.h"
#include "core/picture_ops.h"
#include "record/cursor_overlay.h"
#include "record/sample_grid.h"

#include <utility>

FrameRecorder::FrameRecorder(ScreenGrabber& grabber, CursorSource& cursor, InputInjector& input, WorkingFiles files)
    : grabber_(grabber)
    , cursorSource_(cursor)
    , input_(input)
    , files_(std::move(files))
{
}

Picture& FrameRecorder::Grab(const ScreenRect& rect)
{
    grabber_.GrabScreen(current_, rect);
    return current_;
}

FrameRecorder::SlotResult FrameRecorder::CaptureSlot(const ScreenRect& rect, int slot, bool drawCursor,
                                                     const SampleScale& scale)
{
    // The pointer is read before the grab, so that the drawn cursor matches the picture's moment.
    const QPoint pointer = input_.CursorPos();
    grabber_.GrabScreen(current_, rect);
    const bool blank = IsBlankPicture(current_, scale);
    // The cursor is drawn into blank pictures too; they are just not stored.
    if (drawCursor && cursorSource_.CurrentCursor(cursor_))
        DrawCursorOverlay(current_, pointer.x() - rect.left, pointer.y() - rect.top, cursor_);
    if (blank)
        return SlotResult::Blank;
    if (SameImage(current_, lastStored_))
        return SlotResult::Unchanged;
    lastStored_ = current_;
    SaveFrame(files_, current_, slot);
    return SlotResult::Stored;
}
