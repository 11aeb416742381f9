// SPDX-License-Identifier: GPL-3.0-or-later
// X image rows of every true-colour layout become 24-bit B,G,R pictures.
#include "platform/x11/x11_pixels.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <vector>
// Xlib's macros (None, Bool) clash with gtest's names: it comes last.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

uint32_t Pixel(const Picture& p, int x, int y)
{
    const uint8_t* px = p.scanLine(y) + 3 * x;
    return px[2] << 16 | px[1] << 8 | px[0];
}

} // namespace

TEST(XImageRows, TrueColourLayoutsBecomeBgr)
{
    // 32 bits B,G,R,X as a 24-bit screen delivers them.
    uint8_t bgrx[2 * 4] = {1, 2, 3, 99, 4, 5, 6, 99};
    XImage wide{};
    wide.width = 2;
    wide.height = 1;
    wide.format = ZPixmap;
    wide.data = reinterpret_cast<char*>(bgrx);
    wide.byte_order = LSBFirst;
    wide.bitmap_unit = 32;
    wide.bitmap_bit_order = LSBFirst;
    wide.bitmap_pad = 32;
    wide.depth = 24;
    wide.bits_per_pixel = 32;
    wide.bytes_per_line = 8;
    wide.red_mask = 0xff0000;
    wide.green_mask = 0xff00;
    wide.blue_mask = 0xff;
    ASSERT_TRUE(XInitImage(&wide));
    Picture p(3, 2);
    CopyXImageToPicture(&wide, p, 1, 1);
    EXPECT_EQ(Pixel(p, 1, 1), 0x030201u);
    EXPECT_EQ(Pixel(p, 2, 1), 0x060504u);
    EXPECT_EQ(Pixel(p, 0, 1), 0u);

    // RGB565 of a 16-bit screen: full intensity stays 255.
    uint16_t rgb565[3] = {0xF800, 0x07E0, 0x001F | 0x0400};
    XImage narrow = wide;
    narrow.width = 3;
    narrow.data = reinterpret_cast<char*>(rgb565);
    narrow.depth = 16;
    narrow.bits_per_pixel = 16;
    narrow.bitmap_pad = 16;
    narrow.bytes_per_line = 6;
    narrow.red_mask = 0xF800;
    narrow.green_mask = 0x07E0;
    narrow.blue_mask = 0x001F;
    ASSERT_TRUE(XInitImage(&narrow));
    Picture q(3, 1);
    CopyXImageToPicture(&narrow, q, 0, 0);
    EXPECT_EQ(Pixel(q, 0, 0), 0xff0000u);
    EXPECT_EQ(Pixel(q, 1, 0), 0x00ff00u);
    EXPECT_EQ(Pixel(q, 2, 0), 0x0082ffu); // green 32 of 63 -> 130
}

TEST(XImageRows, LongBgrxRowsKeepEveryPixelAndLeaveTheRestOfThePicture)
{
    // Rows longer than one block of four, with a tail, placed at an offset in a larger picture.
    constexpr int kWidth = 11;
    std::vector<uint8_t> bgrx(2 * kWidth * 4);
    for (size_t i = 0; i < bgrx.size(); ++i)
        bgrx[i] = static_cast<uint8_t>(i % 4 == 3 ? 0xee : 7 * i + 1);
    XImage image{};
    image.width = kWidth;
    image.height = 2;
    image.format = ZPixmap;
    image.data = reinterpret_cast<char*>(bgrx.data());
    image.byte_order = LSBFirst;
    image.bitmap_unit = 32;
    image.bitmap_bit_order = LSBFirst;
    image.bitmap_pad = 32;
    image.depth = 24;
    image.bits_per_pixel = 32;
    image.bytes_per_line = kWidth * 4;
    image.red_mask = 0xff0000;
    image.green_mask = 0xff00;
    image.blue_mask = 0xff;
    ASSERT_TRUE(XInitImage(&image));
    Picture p(kWidth + 2, 4);
    std::fill(p.bits(), p.bits() + p.byteCount(), 0x55);
    CopyXImageToPicture(&image, p, 1, 1);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const uint8_t* s = &bgrx[static_cast<size_t>((y * kWidth + x) * 4)];
            EXPECT_EQ(Pixel(p, x + 1, y + 1), uint32_t(s[2]) << 16 | uint32_t(s[1]) << 8 | s[0]) << x << "," << y;
        }
    EXPECT_EQ(Pixel(p, 0, 1), 0x555555u);
    EXPECT_EQ(Pixel(p, kWidth + 1, 2), 0x555555u);
    EXPECT_EQ(Pixel(p, 3, 0), 0x555555u);
    EXPECT_EQ(Pixel(p, 3, 3), 0x555555u);
}
