// SPDX-License-Identifier: GPL-3.0-or-later
// Frame delays of recordings whose slots are not whole hundredths long: every frame starts
// within a hundredth of its slot's true time and the animation lasts as long as the recording.
#include "core/frame_store.h"
#include "gif/gif_animation_builder.h"
#include "gif_oracle.h"
#include "gif_test_pictures.h"
#include "support/temp_program_folder.h"

#include <cmath>
#include <set>
#include <gtest/gtest.h>

namespace {

constexpr int kSlots = 40;
// Slots without a frame file of their own: they lengthen the frame before them.
const std::set<int> kMissing = {5, 6, 12, 13, 14, 31};

void StoreMovingCursor(const WorkingFiles& files)
{
    for (int slot = 1; slot <= kSlots; ++slot)
        if (!kMissing.count(slot))
            SaveFrame(files, SlidePicture(120, 90, 4 + 2 * slot, 10 + slot % 7), slot);
}

DecodedGif BuildAtPeriod(const WorkingFiles& files, double periodMs, bool hifi)
{
    GifBuildSettings settings;
    settings.framePeriodMs = periodMs;
    settings.readOptions = [hifi] {
        GifBuildOptions o;
        o.width = 120;
        o.height = 90;
        o.highFidelity = hifi;
        return o;
    };
    GifMemoryStream out;
    BuildGifAnimation(files, kSlots, settings)->SaveToStream(out);
    DecodedGif gif = DecodeGif(out.bytes);
    EXPECT_TRUE(gif.ok) << gif.error;
    return gif;
}

} // namespace

TEST(GifFramePeriod, EveryFrameStartsWithinAHundredthOfItsSlotAndTheLengthIsRight)
{
    TempProgramFolder folder;
    StoreMovingCursor(folder.files());
    std::vector<int> storedSlots;
    for (int slot = 1; slot <= kSlots; ++slot)
        if (!kMissing.count(slot))
            storedSlots.push_back(slot);

    struct Case {
        double periodMs;
        std::set<int> delaysSeen; // the delays of frames one slot long
    };
    const Case cases[] = {
        {150, {15}},
        {100, {10}},
        {1000.0 / 30, {3, 4}},
        {1000.0 / 60, {1, 2}},
    };
    for (const Case& c : cases)
        for (bool hifi : {false, true}) {
            SCOPED_TRACE(testing::Message() << c.periodMs << " ms" << (hifi ? ", high fidelity" : ""));
            const DecodedGif gif = BuildAtPeriod(folder.files(), c.periodMs, hifi);
            ASSERT_EQ(gif.frames.size(), storedSlots.size()) << "every stored slot moves the cursor";
            long long start = 0; // hundredths
            std::set<int> oneSlotDelays;
            for (size_t i = 0; i < gif.frames.size(); ++i) {
                const double trueStartMs = (storedSlots[i] - 1) * c.periodMs;
                EXPECT_LE(std::abs(start * 10 - trueStartMs), 10.0) << "frame " << i;
                const int slotsShown = (i + 1 < storedSlots.size() ? storedSlots[i + 1] : kSlots + 1) - storedSlots[i];
                if (slotsShown == 1)
                    oneSlotDelays.insert(gif.frames[i].delay);
                start += gif.frames[i].delay;
            }
            EXPECT_LE(std::abs(start * 10 - kSlots * c.periodMs), 10.0) << "the whole animation";
            EXPECT_EQ(oneSlotDelays, c.delaysSeen);
        }
}
