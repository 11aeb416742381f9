// SPDX-License-Identifier: GPL-3.0-or-later
#include "gif_test_pictures.h"

#include <algorithm>

Picture GreyPicture(int width, int height, const std::function<int(int, int)>& value)
{
    Picture p(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const auto v = static_cast<uint8_t>(value(x, y));
            uint8_t* px = p.scanLine(y) + 3 * x;
            px[0] = px[1] = px[2] = v;
        }
    return p;
}

void FillRect(Picture& p, int x0, int y0, int w, int h, uint8_t r, uint8_t g, uint8_t b)
{
    for (int y = std::max(y0, 0); y < std::min(y0 + h, p.height()); ++y)
        for (int x = std::max(x0, 0); x < std::min(x0 + w, p.width()); ++x) {
            uint8_t* px = p.scanLine(y) + 3 * x;
            px[0] = b;
            px[1] = g;
            px[2] = r;
        }
}

Picture SlidePicture(int width, int height, int cx, int cy, int variant)
{
    Picture p(width, height);
    FillRect(p, 0, 0, width, height, 255, 255, 255);
    FillRect(p, 0, 0, width, height / 6, 30 + variant * 40, 70, 140);
    for (int line = 0; line < 10; ++line)
        for (int word = 0; word < 8; ++word)
            FillRect(p, 30 + word * (width / 9), height / 5 + line * (height / 14), width / 12 - (word + line + variant) % 7, 8,
                     static_cast<uint8_t>(20 + 10 * (word % 3)), static_cast<uint8_t>(20 + 8 * (line % 4)), 40);
    // The cursor: a dark arrow-sized box with a light rim.
    FillRect(p, cx - 1, cy - 1, 14, 21, 240, 240, 240);
    FillRect(p, cx, cy, 12, 19, 10, 10, 10);
    return p;
}
