// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/picture_ops.h"

#include <gtest/gtest.h>
#include <random>
#include <set>

namespace {
Picture Blocks(int w, int h)
{
    // Coloured 7 x 5 blocks: every colour is distinct, so blending would show as new colours.
    Picture p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* px = p.scanLine(y) + 3 * x;
            px[0] = static_cast<uint8_t>(x / 7 * 3);
            px[1] = static_cast<uint8_t>(y / 5 * 5);
            px[2] = static_cast<uint8_t>((x / 7 + y / 5) * 11);
        }
    return p;
}

std::set<uint32_t> Colours(const Picture& p)
{
    std::set<uint32_t> colours;
    for (int y = 0; y < p.height(); ++y)
        for (int x = 0; x < p.width(); ++x) {
            const uint8_t* px = p.scanLine(y) + 3 * x;
            colours.insert(px[0] << 16 | px[1] << 8 | px[2]);
        }
    return colours;
}
} // namespace

TEST(PictureOps, SameImageComparesSizeAndEveryColourByte)
{
    Picture a = Blocks(595, 466);
    Picture b = a;
    EXPECT_TRUE(SameImage(a, b));
    b.scanLine(465)[595 * 3 - 1] ^= 1;
    EXPECT_FALSE(SameImage(a, b));
    EXPECT_FALSE(SameImage(Picture(2, 3), Picture(3, 2)));
    EXPECT_TRUE(SameImage(Picture(), Picture()));
    EXPECT_FALSE(SameImage(Picture(), Picture(1, 1)));
}

TEST(PictureOps, NearestNeighbourRoundTripKeepsOnlySourceColours)
{
    Picture p = Blocks(595, 466);
    const std::set<uint32_t> original = Colours(p);
    ScaleBitmapInPlace(p, 156, 116);
    EXPECT_EQ(p.width(), 156);
    EXPECT_EQ(p.height(), 116);
    ScaleBitmapInPlace(p, 595, 466);
    EXPECT_EQ(p.width(), 595);
    EXPECT_EQ(p.height(), 466);
    EXPECT_EQ(p.pixelFormat(), TPixelFormat::pf24bit);
    for (uint32_t c : Colours(p))
        EXPECT_TRUE(original.count(c)) << std::hex << c;
}

TEST(PictureOps, ScalingRepeatsAndDropsWholePixels)
{
    Picture p(2, 1);
    p.scanLine(0)[0] = 10;
    p.scanLine(0)[3] = 20;
    ScaleBitmapInPlace(p, 4, 2);
    for (int y = 0; y < 2; ++y) {
        EXPECT_EQ(p.scanLine(y)[0], 10);
        EXPECT_EQ(p.scanLine(y)[3], 10);
        EXPECT_EQ(p.scanLine(y)[6], 20);
        EXPECT_EQ(p.scanLine(y)[9], 20);
    }
    ScaleBitmapInPlace(p, 1, 1);
    EXPECT_EQ(p.scanLine(0)[0], 10);
    Picture empty;
    ScaleBitmapInPlace(empty, 3, 2);
    EXPECT_EQ(empty.width(), 3); // an empty source gives a black picture of the new size
}
