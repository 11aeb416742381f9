// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/x11/x11_pixels.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

// Position and width of a colour mask, to scale its value to 8 bits.
struct Channel {
    int shift = 0;
    int bits = 0;
    explicit Channel(unsigned long mask)
    {
        if (!mask)
            return;
        while (!(mask & 1)) {
            mask >>= 1;
            ++shift;
        }
        while (mask & 1) {
            mask >>= 1;
            ++bits;
        }
    }
    uint8_t value(unsigned long pixel) const
    {
        if (bits == 0)
            return 0;
        const unsigned long v = (pixel >> shift) & ((1ul << bits) - 1);
        if (bits >= 8)
            return static_cast<uint8_t>(v >> (bits - 8));
        // Repeat the high bits below, so that full intensity stays 255 (RGB565: 31 -> 255).
        unsigned long wide = v << (8 - bits);
        for (int filled = bits; filled < 8; filled += bits)
            wide |= v << (8 - bits) >> filled;
        return static_cast<uint8_t>(wide);
    }
};

bool IsBgrx32(const XImage* image)
{
    return image->bits_per_pixel == 32 && image->byte_order == LSBFirst && image->red_mask == 0xff0000
        && image->green_mask == 0xff00 && image->blue_mask == 0xff;
}

} // namespace

void CopyXImageToPicture(XImage* image, Picture& picture, int dx, int dy)
{
    const int w = image->width;
    const int h = image->height;
    if (IsBgrx32(image)) {
        for (int y = 0; y < h; ++y) {
            const auto* src = reinterpret_cast<const uint8_t*>(image->data) + static_cast<size_t>(y) * image->bytes_per_line;
            uint8_t* dst = picture.scanLine(dy + y) + 3 * dx;
            for (int x = 0; x < w; ++x) {
                dst[0] = src[0];
                dst[1] = src[1];
                dst[2] = src[2];
                src += 4;
                dst += 3;
            }
        }
        return;
    }
    const Channel red(image->red_mask), green(image->green_mask), blue(image->blue_mask);
    const bool rgb565 = image->bits_per_pixel == 16 && image->byte_order == LSBFirst;
    for (int y = 0; y < h; ++y) {
        uint8_t* dst = picture.scanLine(dy + y) + 3 * dx;
        const auto* row16 = reinterpret_cast<const uint16_t*>(image->data + static_cast<size_t>(y) * image->bytes_per_line);
        for (int x = 0; x < w; ++x) {
            const unsigned long pixel = rgb565 ? row16[x] : XGetPixel(image, x, y);
            dst[0] = blue.value(pixel);
            dst[1] = green.value(pixel);
            dst[2] = red.value(pixel);
            dst += 3;
        }
    }
}
