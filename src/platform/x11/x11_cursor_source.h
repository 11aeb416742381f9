// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The cursor the X server shows now (the shape of whatever window is under the pointer),
// read with XFixes.

#include "platform/cursor_source.h"

#include <memory>

class X11CursorSource : public CursorSource {
public:
    X11CursorSource();
    ~X11CursorSource() override;
    bool CurrentCursor(CursorImage& cursor) override;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
