// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Copies a rectangle of the screen into a 24-bit picture.

#include "core/picture.h"

// A rectangle in screen coordinates; right and bottom are exclusive.
struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const ScreenRect&) const = default;
};

class ScreenGrabber {
public:
    virtual ~ScreenGrabber() = default;
    // Sizes picture to the rectangle (24-bit) and copies what the screen shows there, without
    // the mouse cursor. Parts of the rectangle outside the screen come out black; a grab that
    // fails leaves the picture black. Never throws.
    virtual void GrabScreen(Picture& picture, const ScreenRect& rect) = 0;
    // Whether this display lets the program read its screen at all: Wayland keeps every
    // window's pixels from the others, and an X server that cannot be opened has none to give.
    virtual bool CanCapture() { return true; }
};
