// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Synthetic input where the display takes none from a program (Wayland): a click goes to the
// program's own widget under the point as a Qt mouse event, the way the display's own input
// would arrive, so that the recorder's clicks reach the show and the presenter's log sees them.
// The pointer itself is never moved; keys are not sent (input the system refuses is lost).

#include "platform/input_injector.h"

class WidgetInputInjector : public InputInjector {
public:
    QPoint CursorPos() override;
    // Only where the next button events go.
    void SetCursorPos(const QPoint& point) override;
    void KeyEvent(Key, bool) override {}
    void LeftButton(bool pressed) override;

private:
    QPoint point_;
    bool pointSet_ = false;
    unsigned long lastTimestamp_ = 0;
};
