// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The shape of the mouse cursor as the screen shows it now.

#include <cstdint>
#include <vector>

struct CursorImage {
    int width = 0;
    int height = 0;
    int xhot = 0; // hot spot: the pixel of the shape at the pointer position
    int yhot = 0;
    // Premultiplied ARGB, 0xAARRGGBB, rows top-down.
    std::vector<uint32_t> pixels;
};

class CursorSource {
public:
    virtual ~CursorSource() = default;
    // False when no cursor is shown (or none can be read).
    virtual bool CurrentCursor(CursorImage& cursor) = 0;
};
