// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/picture.h"

#include <stdexcept>

int BitsPerPixel(TPixelFormat format)
{
    switch (format) {
    case TPixelFormat::pf1bit: return 1;
    case TPixelFormat::pf4bit: return 4;
    case TPixelFormat::pf8bit: return 8;
    case TPixelFormat::pf15bit:
    case TPixelFormat::pf16bit: return 16;
    case TPixelFormat::pf24bit: return 24;
    case TPixelFormat::pf32bit: return 32;
    default: return 0;
    }
}

int Picture::strideFor(int width, TPixelFormat format)
{
    const long long bits = static_cast<long long>(width) * BitsPerPixel(format);
    return static_cast<int>((bits + 31) / 32 * 4);
}

Picture::Picture(int width, int height, TPixelFormat format)
{
    reset(width, height, format);
}

void Picture::reset(int width, int height, TPixelFormat format)
{
    if (width < 0 || height < 0 || BitsPerPixel(format) == 0)
        throw std::invalid_argument("Invalid picture size or pixel format");
    width_ = width;
    height_ = height;
    format_ = format;
    stride_ = strideFor(width, format);
    pixels_.assign(static_cast<size_t>(stride_) * height, 0);
}
