// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The screen and cursor of a display that lets no program read them (Wayland): every grab
// comes out black and no cursor is shown. The recorder then records only on the show's own
// clock, from the browser view's rendering, which needs neither.

#include "platform/cursor_source.h"
#include "platform/screen_grabber.h"

class NoScreenGrabber : public ScreenGrabber {
public:
    void GrabScreen(Picture& picture, const ScreenRect& rect) override;
    bool CanCapture() override { return false; }
};

class NoCursorSource : public CursorSource {
public:
    bool CurrentCursor(CursorImage&) override { return false; }
};
