// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/picture_ops.h"

#include <cstring>
#include <vector>

bool SameImage(const Picture& a, const Picture& b)
{
    if (a.width() != b.width() || a.height() != b.height())
        return false;
    const size_t rowBytes = static_cast<size_t>(a.width()) * 3;
    for (int y = 0; y < a.height(); ++y)
        if (std::memcmp(a.scanLine(y), b.scanLine(y), rowBytes) != 0)
            return false;
    return true;
}

void ScaleBitmapInPlace(Picture& picture, int w, int h)
{
    if (w < 0 || h < 0)
        return;
    Picture scaled(w, h, TPixelFormat::pf24bit);
    const int sw = picture.width();
    const int sh = picture.height();
    if (sw > 0 && sh > 0 && w > 0 && h > 0) {
        // Source column of every destination column: the pixel whose span holds the
        // destination pixel's left edge, as a stretch without blending picks it.
        std::vector<int> sourceX(static_cast<size_t>(w));
        for (int x = 0; x < w; ++x)
            sourceX[static_cast<size_t>(x)] = static_cast<int>(static_cast<long long>(x) * sw / w) * 3;
        int previousSy = -1;
        for (int y = 0; y < h; ++y) {
            const int sy = static_cast<int>(static_cast<long long>(y) * sh / h);
            uint8_t* dst = scaled.scanLine(y);
            if (sy == previousSy) {
                std::memcpy(dst, scaled.scanLine(y - 1), static_cast<size_t>(w) * 3);
                continue;
            }
            const uint8_t* src = picture.scanLine(sy);
            for (int x = 0; x < w; ++x) {
                const uint8_t* px = src + sourceX[static_cast<size_t>(x)];
                dst[3 * x] = px[0];
                dst[3 * x + 1] = px[1];
                dst[3 * x + 2] = px[2];
            }
            previousSy = sy;
        }
    }
    picture = std::move(scaled);
}
