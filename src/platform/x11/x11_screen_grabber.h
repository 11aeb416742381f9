// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Screen grab over X11: MIT-SHM with one reused segment, XGetImage where shared memory is
// not available. Pictures are 24-bit B,G,R whatever the screen depth.

#include "platform/screen_grabber.h"

#include <memory>

class X11ScreenGrabber : public ScreenGrabber {
public:
    X11ScreenGrabber();
    ~X11ScreenGrabber() override;
    void GrabScreen(Picture& picture, const ScreenRect& rect) override;
    // Opens the display if it is not open yet.
    bool CanCapture() override;

    // False once shared memory failed and grabs go through XGetImage.
    bool usesSharedMemory() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
