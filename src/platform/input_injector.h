// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Synthetic keyboard and mouse input sent to the screen, and the pointer position.

#include <QPoint>

class InputInjector {
public:
    enum class Key { Alt, O };

    virtual ~InputInjector() = default;
    virtual QPoint CursorPos() = 0;
    virtual void SetCursorPos(const QPoint& point) = 0;
    // Each call is delivered before it returns; input the system refuses is lost silently.
    virtual void KeyEvent(Key key, bool pressed) = 0;
    virtual void LeftButton(bool pressed) = 0;
};
