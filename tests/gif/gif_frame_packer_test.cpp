// SPDX-License-Identifier: GPL-3.0-or-later
// Finished frames coded on a second thread: the same bytes and spilling as packing in place,
// a bad frame left as it is, and a build that ends early leaves no coding behind.
#include "core/frame_store.h"
#include "gif/gif_animation_builder.h"
#include "gif/gif_exception.h"
#include "gif/gif_frame_packer.h"
#include "gif/octree.h"
#include "gif_test_pictures.h"
#include "support/temp_program_folder.h"

#include <gtest/gtest.h>

namespace {

// Frames of moving slides, the fourth with a pixel outside its two-colour table.
void AddFrames(TGIFImage& image, const std::function<void(TGIFSubImage&)>& pack)
{
    for (int i = 0; i < 8; ++i) {
        Picture p = SlidePicture(120, 90, 10 + 9 * i, 20 + 4 * i, i / 3);
        if (i == 3) {
            p = Picture(6, 4, TPixelFormat::pf8bit);
            std::fill(p.bits(), p.bits() + p.byteCount(), uint8_t{5});
            p.palette() = {0x000000, 0xFFFFFF};
        }
        TGIFSubImage& frame = image.Images[image.Add(p)];
        auto control = std::make_unique<TGIFGraphicControlExtension>(&frame);
        TGIFGraphicControlExtension* delay = control.get();
        frame.Extensions.Add(std::move(control));
        pack(frame);
        // What the build does to a frame while it is being coded.
        delay->SetDelay(30);
    }
}

} // namespace

TEST(FramePacker, CodesWhatPackCodesSpillsAlikeAndLeavesABadFrameAsItIs)
{
    TempProgramFolder folder;
    const std::string spill = folder.files().WorkingDirectory();
    TGIFImage inPlace;
    TGIFImage behind;
    inPlace.SetSpillFolder(spill, 2 * 1024);
    behind.SetSpillFolder(spill, 2 * 1024);
    AddFrames(inPlace, [](TGIFSubImage& frame) { frame.Pack(); });
    {
        GifFramePacker packer;
        AddFrames(behind, [&packer](TGIFSubImage& frame) { packer.Pack(frame); });
        packer.Finish();
    }
    ASSERT_EQ(behind.Count(), 8);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(behind.Images[i].Packed(), i != 3) << i;
    EXPECT_GT(behind.SpilledBytes(), 0);
    EXPECT_EQ(behind.SpilledBytes(), inPlace.SpilledBytes());
    EXPECT_EQ(behind.HeldBytes(), inPlace.HeldBytes());

    // The bad frame is reported when written, as without the packer; without it the files match.
    GifMemoryStream out;
    EXPECT_THROW(behind.SaveToStream(out), GIFException);
    for (TGIFImage* image : {&inPlace, &behind})
        std::fill_n(image->Images[3].Data(), 24, uint8_t{1});
    GifMemoryStream a;
    GifMemoryStream b;
    inPlace.SaveToStream(a);
    behind.SaveToStream(b);
    EXPECT_EQ(a.bytes, b.bytes);
}

TEST(FramePacker, ACancelledBuildEndsWithNothingCodingAndTheNextBuildIsWhole)
{
    TempProgramFolder folder;
    for (int slot = 1; slot <= 12; ++slot)
        SaveFrame(folder.files(), SlidePicture(240, 180, 10 + 13 * slot, 30, slot / 4), slot);
    GifBuildSettings settings;
    settings.memoryBound = 0;
    Progress progress;
    int cancelAt = 7;
    progress.cancelled = [&cancelAt, slot = 0]() mutable { return ++slot == cancelAt; };
    EXPECT_THROW(BuildGifAnimation(folder.files(), 12, settings, progress), GifCancelled);

    cancelAt = -1;
    auto whole = BuildGifAnimation(folder.files(), 12, settings, progress);
    ASSERT_EQ(whole->Count(), 12);
    for (int i = 0; i < whole->Count(); ++i)
        EXPECT_TRUE(whole->Images[i].Packed()) << i;
}

TEST(Octree, AColourMetAgainAfterAMergeCountsInTheMergedLeaf)
{
    // Room for four: (128,0,0) forces the white pair to merge, (0,255,0) then reuses the
    // released nodes, and white comes back, twice, between greens.
    const std::vector<uint32_t> colors = {0x000000, 0x000001, 0xFFFFFF, 0xFFFFFE, 0x800000,
                                          0x00FF00, 0xFFFFFF, 0x00FF01, 0xFFFFFF, 0x00FF00};
    Picture picture(static_cast<int>(colors.size()), 1);
    for (size_t i = 0; i < colors.size(); ++i) {
        uint8_t* px = picture.scanLine(0) + 3 * i;
        px[0] = static_cast<uint8_t>(colors[i]);
        px[1] = static_cast<uint8_t>(colors[i] >> 8);
        px[2] = static_cast<uint8_t>(colors[i] >> 16);
    }
    const ColorPalette palette = BuildOctreePalette(picture, 4, 8, false);
    const std::vector<uint32_t> expected = {0x000000, 0x00FF00, 0x800000, 0xFFFFFE};
    ASSERT_EQ(palette.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ((palette[i].red << 16) | (palette[i].green << 8) | palette[i].blue, expected[i]) << i;
}

TEST(ReduceToIndexed, NearestMappingLooksUpEachRowInItsScanDirection)
{
    // 96 and 103 share a cell but lie on either side of the middle of black and 200: the
    // cell takes the answer for the colour looked up first, and the second row runs right
    // to left, so both of its pixels become black.
    Picture picture(2, 2);
    const uint8_t rows[2][2] = {{255, 255}, {103, 96}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            std::fill_n(picture.scanLine(y) + 3 * x, 3, rows[y][x]);
    const ColorPalette custom = {{0, 0, 0, 0}, {200, 200, 200, 0}};
    const Picture reduced = ReduceToIndexed(picture, pmCustom, dfNearest, 8, &custom);
    EXPECT_EQ(reduced.scanLine(0)[0], 1);
    EXPECT_EQ(reduced.scanLine(1)[0], 0);
    EXPECT_EQ(reduced.scanLine(1)[1], 0);
}
