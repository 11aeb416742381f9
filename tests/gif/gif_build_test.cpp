// SPDX-License-Identifier: GPL-3.0-or-later
// Building the animation from the frame store: delays, difference frames, transparency and
// what a decoder shows after every frame.
#include "core/deckrec_error.h"
#include "core/frame_store.h"
#include "core/working_files.h"
#include "gif/gif_animation_builder.h"
#include "gif_oracle.h"
#include "gif_test_pictures.h"
#include "core/picture_ops.h"
#include "core/limited_file_size.h"
#include "support/temp_program_folder.h"

#include <cmath>
#include <fstream>
#include <random>
#include <gtest/gtest.h>

namespace {

GifBuildOptions Options(int zoomItem, bool grey, bool smaller, bool floyd = false)
{
    GifBuildOptions o;
    std::tie(o.width, o.height) = GifZoomSize(zoomItem);
    o.grayScale = grey;
    o.smallerSize = smaller;
    o.floydSteinberg = floyd;
    return o;
}

std::unique_ptr<TGIFImage> Build(const WorkingFiles& files, int frameCount, const GifBuildOptions& options)
{
    GifBuildSettings settings;
    settings.readOptions = [options] { return options; };
    return BuildGifAnimation(files, frameCount, settings);
}

DecodedGif Decode(TGIFImage& animation)
{
    GifMemoryStream out;
    animation.SaveToStream(out);
    DecodedGif gif = DecodeGif(out.bytes);
    EXPECT_TRUE(gif.ok) << gif.error;
    return gif;
}

std::vector<int> Delays(const DecodedGif& gif)
{
    std::vector<int> d;
    for (const auto& f : gif.frames)
        d.push_back(f.delay);
    return d;
}

// The colours a stored picture has once scaled and reduced as the build does it.
std::vector<uint32_t> Reduced(Picture picture, const GifBuildOptions& o)
{
    ScaleBitmapInPlace(picture, o.width, o.height);
    TGIFImage one;
    one.PaletteMode = o.grayScale ? pmGray256 : pmOptimal;
    one.DiffusionMode = o.floydSteinberg ? dfFloydSteinberg : dfNearest;
    one.Assign(picture);
    const TGIFSubImage& f = one.Images[0];
    std::vector<uint32_t> colors;
    for (int y = 0; y < f.Height(); ++y)
        for (int x = 0; x < f.Width(); ++x) {
            const TGIFColor c = f.ColorMap[f.Pixel(x, y)];
            colors.push_back((c.Red << 16) | (c.Green << 8) | c.Blue);
        }
    return colors;
}

} // namespace

TEST(GifBuild, ZoomTable)
{
    EXPECT_EQ(GifZoomSize(1), std::make_pair(480, 360));
    EXPECT_EQ(GifZoomSize(2), std::make_pair(360, 270));
    EXPECT_EQ(GifZoomSize(3), std::make_pair(240, 180));
    EXPECT_EQ(GifZoomSize(4), std::make_pair(120, 90));
    for (int other : {0, -1, 5, 99})
        EXPECT_EQ(GifZoomSize(other), std::make_pair(560, 420));
}

TEST(GifBuild, NeverChangingRecordingIsOneFrameShownForTheWholeRecording)
{
    TempProgramFolder folder;
    SaveFrame(folder.files(), SlidePicture(595, 466, 100, 100), 1);
    auto animation = Build(folder.files(), 9, Options(0, false, true));
    const DecodedGif gif = Decode(*animation);
    ASSERT_EQ(gif.frames.size(), 1u);
    EXPECT_EQ(gif.frames[0].delay, 15 * 9);
    EXPECT_EQ(gif.loopCount, 0);
    EXPECT_EQ(gif.width, 560);
    EXPECT_EQ(gif.height, 420);
}

TEST(GifBuild, MissingSlotsLengthenTheFrameBeforeThem)
{
    TempProgramFolder folder;
    for (int slot : {1, 2, 3, 7})
        SaveFrame(folder.files(), SlidePicture(595, 466, 20 * slot, 30 * slot, slot), slot);
    auto animation = Build(folder.files(), 7, Options(3, false, false));
    const DecodedGif gif = Decode(*animation);
    EXPECT_EQ(Delays(gif), (std::vector<int>{15, 15, 60, 15}));
    for (const auto& f : gif.frames) {
        EXPECT_EQ(f.transparent, -1) << "Best Quality stores whole frames";
        EXPECT_EQ(f.width * f.height, 240 * 180);
    }
}

TEST(GifBuild, LeadingSlotsWithoutAPictureLengthenTheFirstFrame)
{
    TempProgramFolder folder;
    SaveFrame(folder.files(), SlidePicture(300, 200, 10, 10), 4);
    auto animation = Build(folder.files(), 6, Options(4, false, true));
    const DecodedGif gif = Decode(*animation);
    EXPECT_EQ(Delays(gif), (std::vector<int>{15 * 6}));

    // No picture at all: nothing is added and nothing fails.
    TempProgramFolder empty;
    EXPECT_TRUE(Build(empty.files(), 5, Options(0, false, true))->Empty());
}

TEST(GifBuild, DifferenceFrameOnlyAboveThreeTenthsUnchanged)
{
    // 560 x 420 = 235200 pixels: 70560 unchanged pixels are not enough, 70561 are.
    for (const int unchanged : {70560, 70561}) {
        TempProgramFolder folder;
        SaveFrame(folder.files(), GreyPicture(560, 420, [](int, int) { return 10; }), 1);
        const Picture second = GreyPicture(560, 420, [&](int x, int y) { return y * 560 + x < unchanged ? 10 : 20; });
        SaveFrame(folder.files(), second, 2);
        auto animation = Build(folder.files(), 2, Options(0, true, true));
        const DecodedGif gif = Decode(*animation);
        ASSERT_EQ(gif.frames.size(), 2u);
        const DecodedFrame& f = gif.frames[1];
        if (unchanged == 70560) {
            EXPECT_EQ(f.transparent, -1);
            EXPECT_EQ(f.width * f.height, 235200);
        } else {
            EXPECT_EQ(f.transparent, 255);
            EXPECT_EQ(f.left, 0);
            EXPECT_EQ(f.top, 126); // pixel 70561 lies in row 126, column 1
            EXPECT_EQ(f.width, 560);
            EXPECT_EQ(f.height, 420 - 126);
        }
        EXPECT_EQ(f.screen, Reduced(second, Options(0, true, true)));
    }
}

TEST(GifBuild, TransparentIndexIsTheHighestOneTheChangesLeaveFree)
{
    struct Case {
        std::function<int(int)> before; // by pixel number; the first 7000 pixels stay the same
        std::function<int(int)> after;
        int transparent;
    };
    const int free1 = 254, free2 = 100;
    const std::vector<Case> cases = {
        // The changes use 0..254: 255 is free.
        {[](int) { return 255; }, [](int i) { return i < 7000 ? 255 : (i - 7000) % 255; }, 255},
        // They use 255 too: the highest free one below it.
        {[](int) { return 77; },
         [&](int i) {
             if (i < 7000)
                 return 77;
             const int v = (i - 7000) % 256;
             return v == free1 || v == free2 || v == 77 ? 255 : v;
         },
         254},
        // All 256 used: the whole frame, without transparency.
        {[](int i) { return i < 7000 ? 5 : i % 256; }, [](int i) { return i < 7000 ? 5 : (i + 1) % 256; }, -1},
    };
    for (const Case& c : cases) {
        TempProgramFolder folder;
        SaveFrame(folder.files(), GreyPicture(120, 90, [&](int x, int y) { return c.before(y * 120 + x); }), 1);
        const Picture second = GreyPicture(120, 90, [&](int x, int y) { return c.after(y * 120 + x); });
        SaveFrame(folder.files(), second, 2);
        auto animation = Build(folder.files(), 2, Options(4, true, true));
        const DecodedGif gif = Decode(*animation);
        ASSERT_EQ(gif.frames.size(), 2u);
        EXPECT_EQ(gif.frames[1].transparent, c.transparent);
        if (c.transparent < 0) {
            EXPECT_EQ(gif.frames[1].width * gif.frames[1].height, 120 * 90);
        }
        EXPECT_EQ(gif.frames[1].screen, Reduced(second, Options(4, true, true)));
    }
}

TEST(GifBuild, SmallerSizeMergesRepeatsAndRestartsWholeAfterAGap)
{
    TempProgramFolder folder;
    const Picture a = SlidePicture(595, 466, 50, 60);
    Picture b = a;
    FillRect(b, 300, 300, 5, 5, 200, 0, 0);
    SaveFrame(folder.files(), a, 1);
    SaveFrame(folder.files(), a, 2); // the same picture again: it only adds time
    SaveFrame(folder.files(), b, 4); // after a missing slot: whole, though nearly unchanged
    SaveFrame(folder.files(), a, 5); // a small change: a cropped difference frame
    auto animation = Build(folder.files(), 5, Options(0, false, true));
    const DecodedGif gif = Decode(*animation);
    EXPECT_EQ(Delays(gif), (std::vector<int>{45, 15, 15}));
    ASSERT_EQ(gif.frames.size(), 3u);
    EXPECT_EQ(gif.frames[1].transparent, -1);
    EXPECT_EQ(gif.frames[1].width, 560);
    EXPECT_GE(gif.frames[2].transparent, 0);
    EXPECT_LT(gif.frames[2].width * gif.frames[2].height, 100);
    EXPECT_EQ(gif.frames[2].screen, Reduced(a, Options(0, false, true)));
}

TEST(GifBuild, EveryFrameShowsTheReducedPictureWithEitherMapper)
{
    for (const bool floyd : {false, true}) {
        TempProgramFolder folder;
        const GifBuildOptions o = Options(0, false, true, floyd);
        std::vector<Picture> pictures;
        for (int k = 0; k < 6; ++k) {
            // The cursor moves every slot; the slide changes once, at slot 4.
            pictures.push_back(SlidePicture(595, 466, 40 + 37 * k, 120 + 11 * k, k < 3 ? 0 : 1));
            SaveFrame(folder.files(), pictures.back(), k + 1);
        }
        auto animation = Build(folder.files(), 6, o);
        const DecodedGif gif = Decode(*animation);
        ASSERT_EQ(gif.frames.size(), 6u);
        int cropped = 0;
        for (int k = 0; k < 6; ++k) {
            EXPECT_EQ(gif.frames[k].screen, Reduced(pictures[k], o)) << "slot " << k + 1 << (floyd ? " FloydSteinberg" : " Nearest");
            cropped += gif.frames[k].transparent >= 0 && gif.frames[k].width * gif.frames[k].height < 560 * 420;
        }
        EXPECT_GE(cropped, 3);
    }
}

TEST(GifBuild, IndicesOfDifferentPalettesAreNotTakenForTheSameColour)
{
    // Black and white first; then a red box appears where it was white. The new palette puts
    // red at the index white had, so by index alone the box would look unchanged and the
    // animation would go on showing white there.
    TempProgramFolder folder;
    Picture first(560, 420);
    FillRect(first, 0, 0, 560, 420, 255, 255, 255);
    FillRect(first, 0, 0, 560, 200, 0, 0, 0);
    Picture second = first;
    FillRect(second, 100, 250, 200, 100, 255, 0, 0);
    SaveFrame(folder.files(), first, 1);
    SaveFrame(folder.files(), second, 2);
    auto animation = Build(folder.files(), 2, Options(0, false, true));
    ASSERT_EQ(animation->Count(), 2);
    ASSERT_EQ(animation->Images[1].ColorMap.Color(1), (TGIFColor{255, 0, 0}));
    ASSERT_EQ(animation->Images[0].ColorMap.Color(1), (TGIFColor{255, 255, 255}));
    const DecodedGif gif = Decode(*animation);
    EXPECT_GE(gif.frames[1].transparent, 0);
    EXPECT_EQ(gif.frames[1].screen, Reduced(second, Options(0, false, true)));
}

TEST(GifBuild, DelayBeyondTheFieldContinuesInARepeatFrame)
{
    // 4370 slots of one picture are 65550 hundredths: the field holds 65535, a frame of one
    // transparent pixel carries the other 15, and the next picture comes after it.
    TempProgramFolder folder;
    const Picture a = GreyPicture(120, 90, [](int x, int) { return x; });
    const Picture b = GreyPicture(120, 90, [](int, int y) { return y; });
    SaveFrame(folder.files(), a, 1);
    SaveFrame(folder.files(), b, 4371);
    auto animation = Build(folder.files(), 4371, Options(4, true, true));
    const DecodedGif gif = Decode(*animation);
    EXPECT_EQ(Delays(gif), (std::vector<int>{65535, 15, 15}));
    ASSERT_EQ(gif.frames.size(), 3u);
    EXPECT_EQ(gif.frames[1].width * gif.frames[1].height, 1);
    EXPECT_EQ(gif.frames[1].transparent, gif.frames[1].indices[0]);
    EXPECT_EQ(gif.frames[1].screen, gif.frames[0].screen);
    EXPECT_EQ(gif.frames[2].screen, Reduced(b, Options(4, true, true)));
}

TEST(GifBuild, ZoomChangedDuringTheBuildAddsAWholeFrame)
{
    TempProgramFolder folder;
    SaveFrame(folder.files(), SlidePicture(595, 466, 10, 10), 1);
    SaveFrame(folder.files(), SlidePicture(595, 466, 12, 10), 2);
    long long slot = 0;
    Progress progress;
    progress.report = [&](long long k, long long) { slot = k; };
    GifBuildSettings settings;
    settings.readOptions = [&] { return Options(slot == 0 ? 3 : 4, false, true); };
    auto animation = BuildGifAnimation(folder.files(), 2, settings, progress);
    const DecodedGif gif = Decode(*animation);
    ASSERT_EQ(gif.frames.size(), 2u);
    EXPECT_EQ(gif.frames[1].transparent, -1);
    EXPECT_EQ(gif.frames[1].width, 120);
}

TEST(GifBuild, CorruptFrameFileEndsTheBuildWithTheFrameStoreError)
{
    TempProgramFolder folder;
    SaveFrame(folder.files(), SlidePicture(200, 100, 10, 10), 1);
    std::ofstream(folder.files().FrameFilePath(2), std::ios::binary) << "not a zlib stream at all";
    std::string expected;
    try {
        Picture p;
        LoadFrame(folder.files(), 2, p);
    } catch (const std::exception& e) {
        expected = e.what();
    }
    ASSERT_FALSE(expected.empty());
    try {
        Build(folder.files(), 3, Options(4, false, true));
        FAIL();
    } catch (const DeckrecError& e) {
        EXPECT_EQ(e.what(), expected);
    }
}

TEST(GifBuild, AFrameWriteThatFailedPartWayCostsOnlyThatFrame)
{
    TempProgramFolder folder;
    const Picture first = SlidePicture(240, 180, 10, 10, 1);
    const Picture second = SlidePicture(240, 180, 90, 60, 2);
    std::mt19937 rng(5);
    const Picture noise = GreyPicture(240, 180, [&rng](int, int) { return static_cast<int>(rng() % 256); });
    // Slots 1 and 2 stored; the disk fills up while slot 3 is written and the recording ends
    // there with the frame count at 3.
    const int failedAt = RunWithFileSizeLimit(16384, [&] {
        SaveFrame(folder.files(), first, 1);
        SaveFrame(folder.files(), second, 2);
        try {
            SaveFrame(folder.files(), noise, 3);
        } catch (const DeckrecError&) {
            return 3;
        }
        return 0;
    });
    ASSERT_EQ(failedAt, 3);

    const GifBuildOptions options = Options(3, false, false);
    auto animation = Build(folder.files(), 3, options);
    const DecodedGif gif = Decode(*animation);
    EXPECT_EQ(Delays(gif), (std::vector<int>{15, 30})) << "the lost slot lengthens the frame before it";
    ASSERT_EQ(gif.frames.size(), 2u);
    EXPECT_EQ(gif.frames[1].screen, Reduced(second, options));
}

// The zoom list follows the recording's shape: the whole build (logical screen and frames) comes
// out at the size the list gives for the recorded frames, with no frame left at 4:3.
TEST(GifBuild, AWideRecordingKeepsItsShapeAndAFourByThreeOneTheListedSizes)
{
    struct Case {
        int width, height;
    };
    for (const Case recorded : {Case{595, 335}, Case{1280, 717}, Case{1920, 1077}, Case{595, 448}, Case{333, 251}}) {
        SCOPED_TRACE(std::to_string(recorded.width) + "x" + std::to_string(recorded.height));
        TempProgramFolder folder;
        SaveFrame(folder.files(), SlidePicture(recorded.width, recorded.height, 100, 100), 1);
        SaveFrame(folder.files(), SlidePicture(recorded.width, recorded.height, 160, 120), 3);
        const ZoomSize shape{recorded.width, recorded.height};
        const bool fourByThree = std::abs(static_cast<double>(recorded.width) / recorded.height * 3 / 4 - 1) <= 0.05;
        for (int item = 0; item <= kOriginalSizeItem; ++item) {
            GifBuildOptions o;
            std::tie(o.width, o.height) = GifZoomSize(item, shape);
            o.smallerSize = false;
            const DecodedGif gif = Decode(*Build(folder.files(), 4, o));
            ASSERT_EQ(gif.frames.size(), 2u);
            for (const DecodedFrame& frame : gif.frames) {
                EXPECT_EQ(frame.width, gif.width);
                EXPECT_EQ(frame.height, gif.height);
            }
            if (item == kOriginalSizeItem) {
                // A GIF takes odd sides: the recording exactly.
                EXPECT_EQ(gif.width, recorded.width);
                EXPECT_EQ(gif.height, recorded.height);
                continue;
            }
            EXPECT_EQ(gif.width, kZoomSizes[item].width);
            if (fourByThree) {
                EXPECT_EQ(gif.height, kZoomSizes[item].height);
                continue;
            }
            // The recording's shape, to the nearest even height.
            const double exact = static_cast<double>(gif.width) * recorded.height / recorded.width;
            EXPECT_EQ(gif.height % 2, 0);
            EXPECT_LE(std::abs(gif.height - exact), 1.0) << gif.width << "x" << gif.height;
        }
    }
}
