// SPDX-License-Identifier: GPL-3.0-or-later
// Frames kept as coded data: the file and the preview stay the same, a long build holds a
// bounded amount of memory, and a cancelled or failed save keeps the user's file.
#include "core/frame_store.h"
#include "gif/gif_animation_builder.h"
#include "gif/gif_exception.h"
#include "gif/gif_painter.h"
#include "gif/gif_save.h"
#include "gif/lzw_decoder.h"
#include "gif_oracle.h"
#include "gif_test_pictures.h"
#include "support/temp_program_folder.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

std::vector<uint8_t> Bytes(TGIFImage& image)
{
    GifMemoryStream out;
    image.SaveToStream(out);
    return out.bytes;
}

// A recording whose cursor box moves on every slot: every slot is stored.
void Record(const WorkingFiles& files, int slotCount)
{
    for (int slot = 1; slot <= slotCount; ++slot)
        SaveFrame(files, SlidePicture(240, 180, 10 + 7 * slot % 200, 20 + 5 * slot % 140, slot / 6), slot);
}

std::unique_ptr<TGIFImage> Build(const WorkingFiles& files, int slotCount, bool smaller, size_t memoryBound, bool hifi = false)
{
    GifBuildSettings settings;
    settings.readOptions = [smaller, hifi] {
        GifBuildOptions o;
        std::tie(o.width, o.height) = GifZoomSize(3);
        o.smallerSize = smaller;
        o.highFidelity = hifi;
        return o;
    };
    settings.memoryBound = memoryBound;
    return BuildGifAnimation(files, slotCount, settings);
}

std::vector<std::string> NamesIn(const std::string& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(PackedFrames, SpilledFramesSaveTheSameBytesAndPlayTheSamePictures)
{
    TempProgramFolder folder;
    Record(folder.files(), 12);
    for (bool smaller : {false, true}) {
        auto inMemory = Build(folder.files(), 12, smaller, kGifFramesInMemory);
        auto spilled = Build(folder.files(), 12, smaller, 0);
        EXPECT_EQ(inMemory->SpilledBytes(), 0);
        EXPECT_GT(spilled->SpilledBytes(), 0);
        const std::vector<uint8_t> bytes = Bytes(*spilled);
        EXPECT_EQ(bytes, Bytes(*inMemory));

        // giflib reads back the pixels the frames give, and the renderer draws them.
        const DecodedGif gif = DecodeGif(bytes);
        ASSERT_TRUE(gif.ok) << gif.error;
        ASSERT_EQ(static_cast<int>(gif.frames.size()), spilled->Count());
        TGIFRenderer renderer(*spilled);
        for (int i = 0; i < spilled->Count(); ++i) {
            std::vector<uint8_t> pixels;
            spilled->Images[i].ReadPixels(pixels);
            EXPECT_EQ(pixels, gif.frames[i].indices) << "frame " << i;
            renderer.DrawFrame(i);
            const auto* shown = reinterpret_cast<const uint32_t*>(renderer.Canvas().bits());
            for (size_t p = 0; p < gif.frames[i].screen.size(); ++p)
                ASSERT_EQ(shown[p] & 0xFFFFFF, gif.frames[i].screen[p]) << "frame " << i << " pixel " << p;
        }

        // Writing into a packed frame unpacks it, and the file then holds the change.
        TGIFSubImage& first = spilled->Images[0];
        first.ScanLine(0)[0] = static_cast<uint8_t>(first.Pixel(0, 0) ^ 1);
        EXPECT_FALSE(first.Packed());
        EXPECT_EQ(DecodeGif(Bytes(*spilled)).frames[0].indices[0], first.Pixel(0, 0));
    }
    EXPECT_EQ(NamesIn(folder.files().WorkingDirectory()).size(), 12u) << "the spill file has no name";
}

TEST(PackedFrames, ABuildHoldsNoMoreMemoryForMoreSlots)
{
    TempProgramFolder folder;
    Record(folder.files(), 40);
    const size_t bound = 8 * 1024;
    for (bool smaller : {false, true}) {
        auto shortBuild = Build(folder.files(), 10, smaller, bound);
        auto longBuild = Build(folder.files(), 40, smaller, bound);
        EXPECT_GT(longBuild->Count(), shortBuild->Count() * 3);
        // Pixels of one 240 x 180 frame alone are 43200 bytes.
        EXPECT_LE(shortBuild->HeldBytes(), bound);
        EXPECT_LE(longBuild->HeldBytes(), bound);
        EXPECT_GT(longBuild->SpilledBytes(), shortBuild->SpilledBytes());
    }
    // "High Fidelity" frames that use the shared table (changes of more than a few colours)
    // are packed as well.
    for (int slot = 1; slot <= 40; ++slot) {
        Picture p = SlidePicture(240, 180, 100, 100);
        for (int bar = 0; bar < 24; ++bar)
            FillRect(p, (bar * 9 + slot * 5) % 230, 40, 8, 30, static_cast<uint8_t>(bar * 10), static_cast<uint8_t>(slot * 6), 99);
        SaveFrame(folder.files(), p, slot);
    }
    auto hifi = Build(folder.files(), 40, true, bound, true);
    EXPECT_FALSE(hifi->Header.ColorMap.Empty());
    EXPECT_LE(hifi->HeldBytes(), bound);
    EXPECT_EQ(Bytes(*hifi), Bytes(*Build(folder.files(), 40, true, kGifFramesInMemory, true)));
}

TEST(PackedFrames, BadPixelsOrCodedDataAreAnErrorNotACrash)
{
    // A pixel outside its frame's table: the frame stays unpacked and writing reports it.
    TGIFImage image;
    Picture p(4, 2, TPixelFormat::pf8bit);
    std::fill(p.bits(), p.bits() + p.byteCount(), uint8_t{7});
    p.palette() = {0x000000, 0xFFFFFF};
    AddGifFrame(image, p, -1);
    EXPECT_FALSE(image.Images[0].Packed());
    GifMemoryStream out;
    try {
        image.SaveToStream(out);
        ADD_FAILURE() << "saved a pixel outside the table";
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "Color not in color table");
    }

    uint8_t pixels[16];
    const std::vector<std::vector<uint8_t>> bad = {
        {},                       // nothing
        {9, 1, 0, 0},             // code size beyond 8
        {2, 2, 0x4C},             // no terminator
        {2, 1, 0x07, 0},          // code 7 before any string exists (after the clear)
    };
    for (const auto& data : bad) {
        try {
            DecodeLzwImage(data.data(), data.size(), pixels, sizeof pixels);
            ADD_FAILURE() << "no error for " << data.size() << " bytes";
        } catch (const GIFException& e) {
            EXPECT_STREQ(e.what(), "Premature end of data");
        }
    }
}

TEST(GifSave, ACancelledOrFailedSaveKeepsTheOldFileAndLeavesNothing)
{
    TempProgramFolder folder;
    Record(folder.files(), 6);
    auto animation = Build(folder.files(), 6, false, kGifFramesInMemory);
    const std::string path = folder.path() + "talk.gif";
    std::ofstream(path) << "the old animation";
    auto oldContents = [&] {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };

    std::vector<int> written;
    Progress saving;
    saving.report = [&](long long done, long long count) {
        written.push_back(static_cast<int>(done));
        EXPECT_EQ(count, animation->Count());
    };
    saving.cancelled = [&] { return written.size() == 2; };
    EXPECT_THROW(SaveGifFile(*animation, path, saving), GifCancelled);
    EXPECT_EQ(written, (std::vector<int>{1, 2}));
    EXPECT_EQ(oldContents(), "the old animation");
    EXPECT_EQ(NamesIn(folder.path()), (std::vector<std::string>{"talk.gif", "temp"}));

    // A build cancelled part way raises the same and leaves nothing in the working directory.
    GifBuildSettings spilling;
    spilling.memoryBound = 0;
    Progress building;
    int slotsSeen = 0;
    building.report = [&](long long, long long) { ++slotsSeen; };
    building.cancelled = [&] { return slotsSeen == 3; };
    EXPECT_THROW(BuildGifAnimation(folder.files(), 6, spilling, building), GifCancelled);
    EXPECT_EQ(NamesIn(folder.files().WorkingDirectory()).size(), 6u);

    // A folder that does not exist: the error names the file.
    try {
        SaveGifFile(*animation, folder.path() + "missing/talk.gif");
        ADD_FAILURE() << "saved into a missing folder";
    } catch (const DeckrecError& e) {
        EXPECT_NE(std::string(e.what()).find("missing/talk.gif"), std::string::npos) << e.what();
    }

    SaveGifFile(*animation, path, {});
    EXPECT_EQ(ReadFileBytes(path), Bytes(*animation));
    EXPECT_EQ(NamesIn(folder.path()), (std::vector<std::string>{"talk.gif", "temp"}));
}
