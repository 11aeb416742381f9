// SPDX-License-Identifier: GPL-3.0-or-later
// The zoom lists follow the recording's shape: 4:3-like recordings keep the listed sizes, others
// keep the listed widths with heights of their own shape, and "Original size" is the recording.
#include "core/deckrec_error.h"
#include "core/frame_store.h"
#include "core/zoom_sizes.h"
#include "support/temp_program_folder.h"

#include <cmath>
#include <fstream>
#include <gtest/gtest.h>

namespace {

double Aspect(ZoomSize s)
{
    return static_cast<double>(s.width) / s.height;
}

} // namespace

TEST(ZoomSizes, RecordingsWithinFivePercentOfFourByThreeKeepTheListedSizesExactly)
{
    // The classic capture trimmed or not, 4:3 itself, and both edges of the 5 % band.
    for (const ZoomSize recorded : {ZoomSize{595, 466}, ZoomSize{595, 448}, ZoomSize{640, 480}, ZoomSize{699, 500},
                                    ZoomSize{1267, 1000}, kUnknownRecording}) {
        SCOPED_TRACE(std::to_string(recorded.width) + "x" + std::to_string(recorded.height));
        EXPECT_TRUE(HasListedShape(recorded));
        for (int item = 0; item < kOriginalSizeItem; ++item)
            EXPECT_EQ(ZoomSizeFor(item, recorded), kZoomSizes[item]);
    }
    // Just outside the band on either side.
    EXPECT_FALSE(HasListedShape({702, 500}));
    EXPECT_FALSE(HasListedShape({1265, 1000}));
}

TEST(ZoomSizes, OtherShapesKeepTheListedWidthsWithEvenHeightsOfTheirOwnShape)
{
    EXPECT_EQ(ZoomSizeFor(0, {595, 335}), (ZoomSize{560, 316}));
    for (const ZoomSize recorded : {ZoomSize{595, 335}, ZoomSize{1280, 717}, ZoomSize{1920, 1077}, ZoomSize{466, 595},
                                    ZoomSize{1000, 200}, ZoomSize{100, 1000}}) {
        SCOPED_TRACE(std::to_string(recorded.width) + "x" + std::to_string(recorded.height));
        for (int item = 0; item < kOriginalSizeItem; ++item) {
            const ZoomSize size = ZoomSizeFor(item, recorded);
            EXPECT_EQ(size.width, kZoomSizes[item].width);
            EXPECT_EQ(size.height % 2, 0);
            // Nearest even: never more than one pixel from the exact height.
            EXPECT_LE(std::fabs(size.height - kZoomSizes[item].width / Aspect(recorded)), 1.0);
        }
    }
}

TEST(ZoomSizes, OriginalSizeIsTheRecordingWithEvenSidesForVideo)
{
    EXPECT_EQ(ZoomSizeFor(kOriginalSizeItem, {595, 335}, OriginalSides::AsRecorded), (ZoomSize{595, 335}));
    EXPECT_EQ(ZoomSizeFor(kOriginalSizeItem, {595, 335}, OriginalSides::Even), (ZoomSize{594, 334}));
    EXPECT_EQ(ZoomSizeFor(kOriginalSizeItem, {1280, 716}, OriginalSides::Even), (ZoomSize{1280, 716}));
    // An unknown recording, and indexes outside the list, fall back to the first item's size.
    EXPECT_EQ(ZoomSizeFor(kOriginalSizeItem), (ZoomSize{560, 420}));
    EXPECT_EQ(ZoomSizeFor(-1, {595, 335}), (ZoomSize{560, 316}));
    EXPECT_EQ(ZoomSizeFor(kZoomItemCount, {640, 480}), (ZoomSize{560, 420}));
    // A one-pixel side cannot be rounded down to nothing.
    EXPECT_EQ(ZoomSizeFor(kOriginalSizeItem, {1, 1}, OriginalSides::Even), (ZoomSize{2, 2}));
}

TEST(ZoomSizes, CaptionsShowTheRealSizes)
{
    EXPECT_EQ(ZoomCaption(0, kUnknownRecording, OriginalSides::Even), "560x420");
    EXPECT_EQ(ZoomCaption(kOriginalSizeItem, kUnknownRecording, OriginalSides::Even), "Original size");
    EXPECT_EQ(ZoomCaption(0, {595, 335}, OriginalSides::Even), "560x316");
    EXPECT_EQ(ZoomCaption(kOriginalSizeItem, {595, 335}, OriginalSides::Even), "Original size (594x334)");
    EXPECT_EQ(ZoomCaption(kOriginalSizeItem, {595, 335}, OriginalSides::AsRecorded), "Original size (595x335)");
}

TEST(ZoomSizes, TheRecordingsSizeIsThatOfItsFirstStoredFrame)
{
    TempProgramFolder folder;
    EXPECT_EQ(RecordingSize(folder.files(), 10), kUnknownRecording);
    SaveFrame(folder.files(), Picture(1280, 717), 3);
    SaveFrame(folder.files(), Picture(640, 480), 5);
    EXPECT_EQ(RecordingSize(folder.files(), 10), (ZoomSize{1280, 717}));
    // Only slots of the recording count.
    EXPECT_EQ(RecordingSize(folder.files(), 2), kUnknownRecording);
    // A damaged first frame is reported, not taken for a size.
    std::ofstream(folder.files().FrameFilePath(1), std::ios::binary) << "not a frame";
    EXPECT_THROW(RecordingSize(folder.files(), 10), DeckrecError);
}
