// SPDX-License-Identifier: GPL-3.0-or-later
#include "record/screen_frame_source.h"

#include "record/cursor_overlay.h"
#include "record/show_state.h"

ScreenFrameSource::ScreenFrameSource(ScreenGrabber& grabber, CursorSource& cursor, InputInjector& input,
                                     const ShowOnScreen& show)
    : grabber_(grabber)
    , cursorSource_(cursor)
    , input_(input)
    , show_(show)
{
}

void ScreenFrameSource::BeginSession()
{
    const ScreenRect untrimmed = show_.CaptureRect();
    // The sample positions are those of the capture size, also after the trim.
    scale_ = SampleScale::ForCapture(untrimmed);
    Picture picture;
    grabber_.GrabScreen(picture, untrimmed);
    rect_ = TrimBlackBorder(picture, untrimmed, scale_);
}

void ScreenFrameSource::Grab(Picture& picture)
{
    // The pointer is read before the grab, so that a drawn cursor matches the picture's moment.
    pointer_ = input_.CursorPos();
    grabber_.GrabScreen(picture, rect_);
}

void ScreenFrameSource::DrawPointer(Picture& picture)
{
    if (cursorSource_.CurrentCursor(cursor_))
        DrawCursorOverlay(picture, pointer_.x() - rect_.left, pointer_.y() - rect_.top, cursor_);
}

bool ScreenFrameSource::ShowHasEnded()
{
    // Always the untrimmed rectangle: the end screen fills the whole frame.
    const ScreenRect rect = show_.CaptureRect();
    Picture picture;
    grabber_.GrabScreen(picture, rect);
    return ::ShowHasEnded(picture, show_.State(), SampleScale::ForCapture(rect));
}

void ScreenFrameSource::PerformSlideAction()
{
    const QPoint back = input_.CursorPos();
    input_.SetCursorPos(show_.ClickPoint());
    input_.LeftButton(true);
    input_.LeftButton(false);
    input_.SetCursorPos(back);
}
