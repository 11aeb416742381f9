// SPDX-License-Identifier: GPL-3.0-or-later
#include "record/cursor_overlay.h"

#include <algorithm>

void DrawCursorOverlay(Picture& picture, int x, int y, const CursorImage& cursor)
{
    if (cursor.pixels.size() < static_cast<size_t>(cursor.width) * cursor.height)
        return;
    const int left = x - cursor.xhot;
    const int top = y - cursor.yhot;
    const int firstRow = std::max(0, -top);
    const int lastRow = std::min(cursor.height, picture.height() - top);
    const int firstColumn = std::max(0, -left);
    const int lastColumn = std::min(cursor.width, picture.width() - left);
    for (int cy = firstRow; cy < lastRow; ++cy) {
        const uint32_t* src = cursor.pixels.data() + static_cast<size_t>(cy) * cursor.width;
        uint8_t* row = picture.scanLine(top + cy);
        for (int cx = firstColumn; cx < lastColumn; ++cx) {
            const uint32_t argb = src[cx];
            const uint32_t alpha = argb >> 24;
            if (alpha == 0 && (argb & 0xffffff) == 0)
                continue;
            uint8_t* px = row + 3 * (left + cx);
            // Premultiplied colour: result = cursor + picture * (1 - alpha).
            const uint32_t keep = 255 - alpha;
            const uint32_t b = (argb & 0xff) + (px[0] * keep + 127) / 255;
            const uint32_t g = ((argb >> 8) & 0xff) + (px[1] * keep + 127) / 255;
            const uint32_t r = ((argb >> 16) & 0xff) + (px[2] * keep + 127) / 255;
            px[0] = static_cast<uint8_t>(std::min<uint32_t>(b, 255));
            px[1] = static_cast<uint8_t>(std::min<uint32_t>(g, 255));
            px[2] = static_cast<uint8_t>(std::min<uint32_t>(r, 255));
        }
    }
}
