// SPDX-License-Identifier: GPL-3.0-or-later
// "High Fidelity" builds, decoded by giflib: exact pixels where the colours fit a palette,
// timing as in the classic build, and a faithful picture where they do not.
#include "core/frame_store.h"
#include "gif/gif_animation_builder.h"
#include "gif_oracle.h"
#include "gif_test_pictures.h"
#include "support/temp_program_folder.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

constexpr int kW = 200;
constexpr int kH = 150;

// Exactly 256 colours in 8 x 8 cells, none of them grey.
Picture Colors256()
{
    Picture p(kW, kH);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const int i = (x / 8 + (y / 8) * 25) % 256;
            FillRect(p, x, y, 1, 1, static_cast<uint8_t>(i * 37), static_cast<uint8_t>(i * 91 + 1), static_cast<uint8_t>(i));
        }
    return p;
}

// Red along x, green along y: thousands of colours.
Picture Gradient()
{
    Picture p(kW, kH);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            FillRect(p, x, y, 1, 1, static_cast<uint8_t>(x * 255 / kW), static_cast<uint8_t>(y * 255 / kH), 90);
    return p;
}

std::vector<uint8_t> BuildBytes(const WorkingFiles& files, int frameCount, bool hifi)
{
    GifBuildOptions options;
    options.width = kW;
    options.height = kH;
    options.highFidelity = hifi;
    GifBuildSettings settings;
    settings.readOptions = [options] { return options; };
    GifMemoryStream out;
    BuildGifAnimation(files, frameCount, settings)->SaveToStream(out);
    return out.bytes;
}

DecodedGif BuildAndDecode(const WorkingFiles& files, int frameCount)
{
    DecodedGif gif = DecodeGif(BuildBytes(files, frameCount, true));
    EXPECT_TRUE(gif.ok) << gif.error;
    return gif;
}

std::vector<uint32_t> Rgb(const Picture& p)
{
    std::vector<uint32_t> out;
    for (int y = 0; y < p.height(); ++y)
        for (int x = 0; x < p.width(); ++x) {
            const uint8_t* px = p.scanLine(y) + 3 * x;
            out.push_back((px[2] << 16) | (px[1] << 8) | px[0]);
        }
    return out;
}

double Psnr(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b)
{
    double squares = 0;
    for (size_t i = 0; i < a.size(); ++i)
        for (int shift : {0, 8, 16}) {
            const int d = static_cast<int>((a[i] >> shift) & 0xFF) - static_cast<int>((b[i] >> shift) & 0xFF);
            squares += d * d;
        }
    return squares == 0 ? 100 : 10 * std::log10(255.0 * 255.0 * 3 * a.size() / squares);
}

} // namespace

TEST(GifHighFidelity, PicturesOfUpTo256ColoursDecodeExactly)
{
    TempProgramFolder folder;
    const Picture full = Colors256();
    Picture cursor = full;
    FillRect(cursor, 60, 40, 12, 19, 10, 10, 10);
    const Picture slide = SlidePicture(kW, kH, 150, 90, 2);
    // Slot 3 repeats slot 2; slot 5 brings the 256 colours back after other ones.
    SaveFrame(folder.files(), full, 1);
    SaveFrame(folder.files(), cursor, 2);
    SaveFrame(folder.files(), slide, 4);
    SaveFrame(folder.files(), full, 5);
    const std::vector<Picture> shown = {full, cursor, cursor, slide, full};

    const DecodedGif gif = BuildAndDecode(folder.files(), 5);
    ASSERT_EQ(gif.frames.size(), 4u);
    EXPECT_EQ(gif.width, kW);
    EXPECT_EQ(gif.height, kH);
    size_t slot = 0;
    for (const DecodedFrame& frame : gif.frames) {
        ASSERT_GT(frame.delay, 0);
        for (int k = 0; k < frame.delay / 15; ++k, ++slot)
            EXPECT_EQ(frame.screen, Rgb(shown.at(slot))) << "slot " << slot + 1;
    }
    EXPECT_EQ(slot, shown.size());
    // The cursor frame holds the cursor's cell only.
    EXPECT_LE(gif.frames[1].width * gif.frames[1].height, 16 * 24);
}

TEST(GifHighFidelity, RecordingKeepsDelaysLoopAndDifferenceFrames)
{
    TempProgramFolder folder;
    const Picture a = SlidePicture(kW, kH, 20, 30);
    const Picture b = SlidePicture(kW, kH, 40, 30);
    // Slot 1 missing, slot 3 stored but unchanged, slots 4 and 5 missing.
    SaveFrame(folder.files(), a, 2);
    SaveFrame(folder.files(), a, 3);
    SaveFrame(folder.files(), b, 6);

    const DecodedGif gif = BuildAndDecode(folder.files(), 6);
    ASSERT_EQ(gif.frames.size(), 2u);
    EXPECT_EQ(gif.loopCount, 0);
    EXPECT_EQ(gif.frames[0].delay, 75);
    EXPECT_EQ(gif.frames[1].delay, 15);
    EXPECT_EQ(gif.frames[0].transparent, -1);
    EXPECT_GE(gif.frames[1].transparent, 0);
    EXPECT_LT(gif.frames[1].width, 40);
    EXPECT_EQ(gif.frames[0].screen, Rgb(a));
    EXPECT_EQ(gif.frames[1].screen, Rgb(b));

    // The point of the mode: smaller than the classic build of the same recording.
    EXPECT_LT(BuildBytes(folder.files(), 6, true).size(), BuildBytes(folder.files(), 6, false).size());
}

TEST(GifHighFidelity, MoreColoursThanAPaletteStayCloseAndChangesStaySmall)
{
    TempProgramFolder folder;
    const Picture gradient = Gradient();
    Picture marked = gradient;
    FillRect(marked, 100, 70, 6, 6, 250, 250, 250);
    SaveFrame(folder.files(), gradient, 1);
    SaveFrame(folder.files(), marked, 2);

    const DecodedGif gif = BuildAndDecode(folder.files(), 2);
    ASSERT_EQ(gif.frames.size(), 2u);
    EXPECT_GT(Psnr(gif.frames[0].screen, Rgb(gradient)), 35.0);
    // Only the mark is drawn again; everything else shows what the first frame showed.
    EXPECT_EQ(gif.frames[1].width * gif.frames[1].height, 36);
    std::vector<uint32_t> expected = gif.frames[0].screen;
    for (int y = 70; y < 76; ++y)
        for (int x = 100; x < 106; ++x)
            expected[static_cast<size_t>(y) * kW + x] = 0xFAFAFA;
    EXPECT_EQ(gif.frames[1].screen, expected);
}
