// SPDX-License-Identifier: GPL-3.0-or-later
// High Fidelity with a tolerance, decoded by giflib: tolerance 0 is the exact build, byte for
// byte; with a tolerance every shown pixel stays within it of its source at every slot, however
// the source creeps, jumps away and comes back.
#include "core/frame_store.h"
#include "gif/colour_tolerance.h"
#include "gif/gif_animation_builder.h"
#include "gif_oracle.h"
#include "gif_test_pictures.h"
#include "support/temp_program_folder.h"

#include <gtest/gtest.h>

namespace {

constexpr int kW = 160;
constexpr int kH = 120;
// The exact build of the recording below, as it was before tolerances existed.
constexpr size_t kExactBuildBytes = 29356;
constexpr uint64_t kExactBuildHash = 0x4bb8f8b497d71cb9ull;

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

// A photo-like field of thousands of colours; seed moves its grain.
Picture Grain(int seed)
{
    Picture p(kW, kH);
    uint32_t state = 12345u + static_cast<uint32_t>(seed) * 7919u;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            state = state * 1103515245u + 12345u;
            const int noise = static_cast<int>((state >> 16) % 7) - 3;
            FillRect(p, x, y, 1, 1, static_cast<uint8_t>(std::clamp(x + 40 + noise, 0, 255)),
                     static_cast<uint8_t>(std::clamp(y * 2 + noise, 0, 255)), static_cast<uint8_t>(120 + noise));
        }
    return p;
}

std::vector<uint8_t> Build(const WorkingFiles& files, int frameCount, int tolerance)
{
    GifBuildOptions options;
    options.width = kW;
    options.height = kH;
    options.highFidelity = true;
    options.tolerance = tolerance;
    GifBuildSettings settings;
    settings.readOptions = [options] { return options; };
    GifMemoryStream out;
    BuildGifAnimation(files, frameCount, settings)->SaveToStream(out);
    return out.bytes;
}

uint64_t Fnv1a(const std::vector<uint8_t>& bytes)
{
    uint64_t h = 1469598103934665603ull;
    for (uint8_t b : bytes)
        h = (h ^ b) * 1099511628211ull;
    return h;
}

// The slot's screen of a decoded GIF whose frames last whole slots of 15 hundredths.
std::vector<std::vector<uint32_t>> ScreensPerSlot(const DecodedGif& gif)
{
    std::vector<std::vector<uint32_t>> screens;
    for (const DecodedFrame& frame : gif.frames)
        for (int k = 0; k < frame.delay / 15; ++k)
            screens.push_back(frame.screen);
    return screens;
}

} // namespace

// Every path of the exact build in one recording: a small table of its own, the shared table, a
// made palette, a difference frame, a recorded picture of another size. The figures are those of
// the build before tolerances existed.
TEST(GifTolerance, ToleranceZeroIsTheExactBuildByteForByte)
{
    TempProgramFolder folder;
    SaveFrame(folder.files(), SlidePicture(kW, kH, 40, 50), 1);
    SaveFrame(folder.files(), SlidePicture(kW, kH, 60, 50), 2);
    SaveFrame(folder.files(), Grain(1), 4);
    Picture marked = Grain(1);
    FillRect(marked, 30, 30, 9, 9, 250, 20, 20);
    SaveFrame(folder.files(), marked, 5);
    SaveFrame(folder.files(), Grain(2), 6);
    SaveFrame(folder.files(), SlidePicture(kW + 20, kH, 10, 10, 3), 7);
    SaveFrame(folder.files(), SlidePicture(kW, kH, 90, 70, 1), 8);
    const std::vector<uint8_t> bytes = Build(folder.files(), 8, 0);
    EXPECT_EQ(bytes.size(), kExactBuildBytes);
    EXPECT_EQ(Fnv1a(bytes), kExactBuildHash);
    EXPECT_TRUE(DecodeGif(bytes).ok);
}

// A square on a slide takes a series of colours, one a slot; every other pixel stays. At every
// slot every pixel a viewer sees is within the tolerance of its source, and where the case says
// so, exactly the source.
TEST(GifTolerance, NoErrorOutlivesTheSourceColourItStoodFor)
{
    struct Case {
        const char* name;
        std::vector<uint32_t> colours; // of the square, slot by slot
        std::vector<int> exactAt;      // slots (0-based) whose square must show its colour exactly
    };
    const std::vector<Case> cases = {
        // A small change is left out; the colour coming back is then shown exactly, as it was.
        {"small step and back", {0x808080, 0x838383, 0x808080}, {0, 2}},
        // Each step within the tolerance, together far beyond it: the square is drawn again
        // before the error grows past it.
        {"creep", {0x404040, 0x444444, 0x484848, 0x4C4C4C, 0x505050, 0x545454, 0x585858, 0x5C5C5C, 0x606060}, {0}},
        // A jump away and back: the old colour is shown again, not the one in between.
        {"away and back", {0x2060A0, 0xE0C020, 0x2060A0, 0x2262A2, 0x2060A0}, {0, 1, 2}},
        // Away within the tolerance, on, then back: no leftover of the first step.
        {"near, far, home", {0x30A030, 0x34A434, 0xC03030, 0x30A030}, {0, 2, 3}},
    };
    for (const int tolerance : {3, 6, 12}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + ", tolerance " + std::to_string(tolerance));
            TempProgramFolder folder;
            std::vector<Picture> sources;
            for (size_t k = 0; k < c.colours.size(); ++k) {
                Picture p = SlidePicture(kW, kH, 100, 60);
                const uint32_t rgb = c.colours[k];
                FillRect(p, 20, 70, 24, 16, static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8),
                         static_cast<uint8_t>(rgb));
                SaveFrame(folder.files(), p, static_cast<int>(k) + 1);
                sources.push_back(p);
            }
            const DecodedGif gif = DecodeGif(Build(folder.files(), static_cast<int>(sources.size()), tolerance));
            ASSERT_TRUE(gif.ok) << gif.error;
            const auto screens = ScreensPerSlot(gif);
            ASSERT_EQ(screens.size(), sources.size());
            for (size_t k = 0; k < sources.size(); ++k) {
                const std::vector<uint32_t> want = Rgb(sources[k]);
                int worst = 0;
                for (size_t i = 0; i < want.size(); ++i)
                    worst = std::max(worst, ColourDistanceSquared9(screens[k][i], want[i]));
                EXPECT_LE(worst, 9 * tolerance * tolerance) << "slot " << k;
            }
            for (int k : c.exactAt)
                EXPECT_EQ(screens[static_cast<size_t>(k)][static_cast<size_t>(78) * kW + 30], c.colours[static_cast<size_t>(k)])
                    << "slot " << k;
        }
    }
}

// A whole picture fading in steps smaller than the tolerance, then cut back to its start: the
// screen follows within the tolerance all the way; a photo-like grain that shifts by
// a few levels each slot costs far fewer bytes than in the exact build.
TEST(GifTolerance, FadesStayWithinItAndGrainCostsLess)
{
    TempProgramFolder folder;
    const Picture slide = SlidePicture(kW, kH, 70, 40, 2);
    std::vector<Picture> sources;
    for (int k = 0; k < 8; ++k) {
        Picture p = slide;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < 3 * kW; ++x)
                p.scanLine(y)[x] = static_cast<uint8_t>(p.scanLine(y)[x] * (32 - k) / 32);
        sources.push_back(p);
    }
    sources.push_back(slide);
    for (size_t k = 0; k < sources.size(); ++k)
        SaveFrame(folder.files(), sources[k], static_cast<int>(k) + 1);
    const int tolerance = 10;
    const DecodedGif gif = DecodeGif(Build(folder.files(), static_cast<int>(sources.size()), tolerance));
    ASSERT_TRUE(gif.ok) << gif.error;
    const auto screens = ScreensPerSlot(gif);
    ASSERT_EQ(screens.size(), sources.size());
    for (size_t k = 0; k < sources.size(); ++k) {
        const std::vector<uint32_t> want = Rgb(sources[k]);
        for (size_t i = 0; i < want.size(); ++i)
            ASSERT_TRUE(WithinTolerance(screens[k][i], want[i], tolerance)) << "slot " << k << " pixel " << i;
    }

    TempProgramFolder grain;
    for (int k = 0; k < 6; ++k)
        SaveFrame(grain.files(), Grain(k), k + 1);
    const size_t exact = Build(grain.files(), 6, 0).size();
    EXPECT_LT(Build(grain.files(), 6, 6).size() * 10, exact * 6);
}
