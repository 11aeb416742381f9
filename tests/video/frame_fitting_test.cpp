// SPDX-License-Identifier: GPL-3.0-or-later
// Fitting pictures onto frames: the stretch, the formats and the nearest colours.
#include "video/frame_fitting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <set>

namespace {

void SetPixel(Picture& picture, int x, int y, uint8_t r, uint8_t g, uint8_t b)
{
    uint8_t* p = picture.scanLine(y) + 3 * x;
    p[0] = b;
    p[1] = g;
    p[2] = r;
}

int IndexAt(const Picture& frame, int x, int y)
{
    const int bits = BitsPerPixel(frame.pixelFormat());
    const int bit = x * bits;
    return (frame.scanLine(y)[bit / 8] >> (8 - bits - bit % 8)) & ((1 << bits) - 1);
}

int Distance(uint32_t entry, int r, int g, int b)
{
    const int dr = static_cast<int>(entry >> 16 & 0xFF) - r;
    const int dg = static_cast<int>(entry >> 8 & 0xFF) - g;
    const int db = static_cast<int>(entry & 0xFF) - b;
    return dr * dr + dg * dg + db * db;
}

TEST(AviFrameFitting, StretchesToTheFrameSizeWithoutKeepingTheAspect)
{
    const Picture big(1024, 768);
    const Picture fitted = FitPicture(big, 560, 420, TPixelFormat::pf24bit);
    EXPECT_EQ(fitted.width(), 560);
    EXPECT_EQ(fitted.height(), 420);

    // Enlarging repeats whole pixels; no colour is blended.
    Picture small(2, 2);
    SetPixel(small, 0, 0, 255, 0, 0);
    SetPixel(small, 1, 0, 0, 255, 0);
    SetPixel(small, 0, 1, 0, 0, 255);
    SetPixel(small, 1, 1, 255, 255, 255);
    const Picture enlarged = FitPicture(small, 4, 6, TPixelFormat::pf24bit);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(std::memcmp(enlarged.scanLine(y) + 3 * x, small.scanLine(y / 3) + 3 * (x / 2), 3), 0)
                << x << "," << y;
}

TEST(AviFrameFitting, AnEmptyPictureGivesABlackFrameInEveryFormat)
{
    for (TPixelFormat format : {TPixelFormat::pf1bit, TPixelFormat::pf4bit, TPixelFormat::pf8bit,
                                TPixelFormat::pf24bit, TPixelFormat::pf32bit}) {
        const Picture frame = FitPicture(Picture(), 10, 6, format);
        ASSERT_EQ(frame.width(), 10);
        ASSERT_EQ(frame.height(), 6);
        EXPECT_EQ(frame.pixelFormat(), format);
        // Black everywhere; 32-bit pixels are opaque black (alpha 255).
        for (size_t i = 0; i < frame.byteCount(); ++i)
            ASSERT_EQ(frame.bits()[i], format == TPixelFormat::pf32bit && i % 4 == 3 ? 255 : 0)
                << "format bits " << BitsPerPixel(format);
        if (BitsPerPixel(format) <= 8) {
            EXPECT_EQ(frame.palette().at(0), 0u);
        }
    }
}

TEST(AviFrameFitting, PalettesHaveTheirSizesAndDistinctColours)
{
    const std::pair<TPixelFormat, size_t> sizes[] = {
        {TPixelFormat::pf1bit, 2}, {TPixelFormat::pf4bit, 16}, {TPixelFormat::pf8bit, 256}};
    for (const auto& [format, size] : sizes) {
        const std::vector<uint32_t>& palette = FramePalette(format);
        ASSERT_EQ(palette.size(), size);
        EXPECT_EQ(std::set<uint32_t>(palette.begin(), palette.end()).size(), size);
        EXPECT_EQ(palette[0], 0u);
    }
    EXPECT_EQ(FramePalette(TPixelFormat::pf1bit)[1], 0xFFFFFFu);
    EXPECT_TRUE(FramePalette(TPixelFormat::pf24bit).empty());
}

TEST(AviFrameFitting, IndexedFramesTakeEachPixelsNearestColour)
{
    // Every 7th level of every channel: colours on and between the palettes' entries.
    Picture picture(37, 37 * 37);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            SetPixel(picture, x, y, static_cast<uint8_t>(x * 7), static_cast<uint8_t>((y % 37) * 7),
                     static_cast<uint8_t>((y / 37) * 7));
    for (TPixelFormat format : {TPixelFormat::pf1bit, TPixelFormat::pf4bit, TPixelFormat::pf8bit}) {
        const Picture frame = FitPicture(picture, picture.width(), picture.height(), format);
        const std::vector<uint32_t>& palette = frame.palette();
        for (int y = 0; y < frame.height(); ++y)
            for (int x = 0; x < frame.width(); ++x) {
                const uint8_t* p = picture.scanLine(y) + 3 * x;
                int best = INT_MAX;
                for (uint32_t entry : palette)
                    best = std::min(best, Distance(entry, p[2], p[1], p[0]));
                const uint32_t chosen = palette.at(static_cast<size_t>(IndexAt(frame, x, y)));
                ASSERT_EQ(Distance(chosen, p[2], p[1], p[0]), best)
                    << "bits " << BitsPerPixel(format) << " at " << x << "," << y;
            }
    }
}

TEST(AviFrameFitting, PackedRowsPutTheLeftmostPixelInTheHighestBits)
{
    Picture picture(3, 1);
    SetPixel(picture, 0, 0, 255, 255, 255);
    EXPECT_EQ(FitPicture(picture, 3, 1, TPixelFormat::pf1bit).scanLine(0)[0], 0x80);
    const Picture sixteen = FitPicture(picture, 3, 1, TPixelFormat::pf4bit);
    EXPECT_EQ(sixteen.scanLine(0)[0], 0xF0); // white is the last of the 16 colours
    const Picture wide = FitPicture(picture, 3, 1, TPixelFormat::pf32bit);
    EXPECT_EQ(std::vector<uint8_t>(wide.scanLine(0), wide.scanLine(0) + 8),
              (std::vector<uint8_t>{255, 255, 255, 255, 0, 0, 0, 255})); // B, G, R, opaque alpha
}

TEST(AviFrameFitting, PicturesOfOtherFormatsAreReadThroughTheirColours)
{
    Picture indexed(2, 1, TPixelFormat::pf8bit);
    indexed.palette() = std::vector<uint32_t>(256, 0);
    indexed.palette()[3] = 0x336699;
    indexed.scanLine(0)[1] = 3;
    const Picture fromIndexed = FitPicture(indexed, 2, 1, TPixelFormat::pf24bit);
    EXPECT_EQ(fromIndexed.scanLine(0)[3], 0x99);
    EXPECT_EQ(fromIndexed.scanLine(0)[4], 0x66);
    EXPECT_EQ(fromIndexed.scanLine(0)[5], 0x33);

    Picture wide(1, 1, TPixelFormat::pf32bit);
    wide.scanLine(0)[0] = 10;
    wide.scanLine(0)[1] = 20;
    wide.scanLine(0)[2] = 30;
    wide.scanLine(0)[3] = 99;
    const Picture fromWide = FitPicture(wide, 1, 1, TPixelFormat::pf24bit);
    EXPECT_EQ(std::vector<uint8_t>(fromWide.scanLine(0), fromWide.scanLine(0) + 3), (std::vector<uint8_t>{10, 20, 30}));
}

} // namespace
