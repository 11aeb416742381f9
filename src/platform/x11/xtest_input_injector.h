// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Synthetic input with XTest on a connection of its own.

#include "platform/input_injector.h"

#include <memory>

class XTestInputInjector : public InputInjector {
public:
    XTestInputInjector();
    ~XTestInputInjector() override;
    QPoint CursorPos() override;
    void SetCursorPos(const QPoint& point) override;
    void KeyEvent(Key key, bool pressed) override;
    void LeftButton(bool pressed) override;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
