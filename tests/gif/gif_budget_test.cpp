// SPDX-License-Identifier: GPL-3.0-or-later
// The size budget: the search returns the best step of the ladder that fits, builds each step
// at most once, and returns nothing (for the caller to write no file) when even the cheapest
// step of the smallest size is too large. Sizes as typed on the command line and the page.
#include "core/frame_store.h"
#include "gif/gif_budget.h"
#include "gif_oracle.h"
#include "gif_test_pictures.h"
#include "support/temp_program_folder.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

constexpr int kW = 200;
constexpr int kH = 150;

// Slides with a photo-like field that shifts each slot: every tolerance saves something.
void SaveRecording(const WorkingFiles& files, int slotCount)
{
    for (int k = 0; k < slotCount; ++k) {
        Picture p = SlidePicture(kW, kH, 40 + 9 * k, 60, k / 3);
        uint32_t state = 777u + static_cast<uint32_t>(k);
        for (int y = kH / 3; y < kH; ++y)
            for (int x = kW / 2; x < kW; ++x) {
                state = state * 1664525u + 1013904223u;
                const int n = static_cast<int>((state >> 24) % 9);
                FillRect(p, x, y, 1, 1, static_cast<uint8_t>(x + n), static_cast<uint8_t>(2 * y - n),
                         static_cast<uint8_t>(90 + 3 * n));
            }
        SaveFrame(files, p, k + 1);
    }
}

long long Bytes(const WorkingFiles& files, int slotCount, const GifBudgetStep& step)
{
    GifBuildOptions options;
    options.width = step.width;
    options.height = step.height;
    options.highFidelity = true;
    options.tolerance = step.tolerance;
    options.colors = step.colors;
    GifBuildSettings settings;
    settings.readOptions = [options] { return options; };
    GifMemoryStream out;
    BuildGifAnimation(files, slotCount, settings)->SaveToStream(out);
    return static_cast<long long>(out.bytes.size());
}

GifBudgetRequest Request(long long maxBytes)
{
    GifBudgetRequest request;
    request.maxBytes = maxBytes;
    request.sizes = {{kW, kH}, {kW / 2, kH / 2}, {kW / 4, kH / 4}};
    return request;
}

int LadderIndex(const GifBudgetStep& step)
{
    const auto& ladder = GifBudgetLadder();
    for (size_t i = 0; i < ladder.size(); ++i)
        if (ladder[i] == std::make_pair(step.tolerance, step.colors))
            return static_cast<int>(i);
    return -1;
}

} // namespace

TEST(GifBudget, FindsTheBestStepThatFitsWithFewBuilds)
{
    TempProgramFolder folder;
    constexpr int kSlots = 8;
    SaveRecording(folder.files(), kSlots);
    const long long exact = Bytes(folder.files(), kSlots, {kW, kH, 0, 256});
    const long long cheapest = Bytes(folder.files(), kSlots, {kW, kH, 64, 32});
    ASSERT_LT(cheapest * 2, exact);
    const int ladderBuilds = 1 + static_cast<int>(std::ceil(std::log2(GifBudgetLadder().size())));
    // Budgets that all fit the largest size, and one that only a smaller size fits.
    for (const long long budget : {exact, (exact + cheapest) / 2, cheapest + 1, cheapest / 2}) {
        SCOPED_TRACE("budget " + std::to_string(budget));
        const GifBudgetResult result = FitGifToBudget(folder.files(), kSlots, Request(budget));
        ASSERT_NE(result.animation, nullptr);
        GifMemoryStream out;
        result.animation->SaveToStream(out);
        EXPECT_EQ(static_cast<long long>(out.bytes.size()), result.bytes);
        EXPECT_LE(result.bytes, budget);
        const DecodedGif gif = DecodeGif(out.bytes);
        ASSERT_TRUE(gif.ok) << gif.error;
        EXPECT_EQ(gif.width, result.chosen.width);
        EXPECT_EQ(gif.height, result.chosen.height);
        // The step before the chosen one, at the same size, does not fit: nothing better did.
        const int index = LadderIndex(result.chosen);
        ASSERT_GE(index, 0);
        if (index > 0) {
            const auto& [tolerance, colors] = GifBudgetLadder()[static_cast<size_t>(index) - 1];
            EXPECT_GT(Bytes(folder.files(), kSlots, {result.chosen.width, result.chosen.height, tolerance, colors}), budget);
        }
        EXPECT_EQ(result.chosen.width == kW, budget >= cheapest);
        // One look at the cheapest step of each size too large, then halving at the one that fits.
        EXPECT_LE(result.builds, (result.sizesRead - 1) + ladderBuilds);
    }
    // Room for everything: the exact build.
    const GifBudgetResult roomy = FitGifToBudget(folder.files(), kSlots, Request(exact * 10));
    EXPECT_EQ(roomy.chosen.tolerance, 0);
    EXPECT_EQ(roomy.chosen.width, kW);
    EXPECT_EQ(roomy.bytes, exact);
}

TEST(GifBudget, ReturnsNothingWhenEvenTheSmallestSizeIsTooLarge)
{
    TempProgramFolder folder;
    SaveRecording(folder.files(), 4);
    const GifBudgetResult result = FitGifToBudget(folder.files(), 4, Request(300));
    EXPECT_EQ(result.animation, nullptr);
    EXPECT_EQ(result.builds, 3); // the cheapest step of each size, once
    EXPECT_EQ(result.smallest.width, kW / 4);
    EXPECT_EQ(std::make_pair(result.smallest.tolerance, result.smallest.colors), GifBudgetLadder().back());
    EXPECT_GT(result.smallestBytes, 300);
    EXPECT_EQ(GifBudgetChoiceText({560, 316, 6, 256}, 7'600'000), "560 x 316, tolerance 6: 7.6 MB");
    EXPECT_EQ(GifBudgetChoiceText({120, 68, 64, 32}, 41'234), "120 x 68, tolerance 64, 32 colours: 41 KB");
}

TEST(GifBudget, ByteLimitsAsTyped)
{
    const std::vector<std::pair<std::string, long long>> good = {
        {"8M", 8'000'000}, {"500k", 500'000}, {"500K", 500'000}, {"1.5MB", 1'500'000},
        {"120000", 120'000}, {"2g", 2'000'000'000}, {"0.5k", 500}, {"1", 1},
    };
    for (const auto& [text, expected] : good) {
        long long bytes = 0;
        EXPECT_TRUE(ParseGifByteLimit(text, bytes)) << text;
        EXPECT_EQ(bytes, expected) << text;
    }
    for (const std::string text : {"0", "12Q", "-5", "", "k", "1..2", "0.5", "8 M", "8Mb", "1e6", ".", "8MM"}) {
        long long bytes = 7;
        EXPECT_FALSE(ParseGifByteLimit(text, bytes)) << text;
        EXPECT_EQ(bytes, 7) << text;
    }
}
