// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The platform services the Recorder works through: the program hands in the X11, clock and
// WebEngine ones, tests their fakes.

#include "platform/cursor_source.h"
#include "platform/input_injector.h"
#include "platform/screen_grabber.h"
#include "platform/slot_clock.h"

#include <functional>
#include <memory>

class BrowserControl;
class QWidget;

struct RecorderServices {
    std::unique_ptr<ScreenGrabber> grabber;
    std::unique_ptr<CursorSource> cursor;
    std::unique_ptr<InputInjector> input;
    std::unique_ptr<SlotClock> clock;
    // Creates the browser inside parent when the recorder first needs it, so that a recorder
    // that never records starts no browser.
    std::function<BrowserControl*(QWidget* parent)> makeBrowser;
};
