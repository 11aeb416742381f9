// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/bmp_codec.h"
#include "core/deckrec_error.h"
#include "core/frame_store.h"
#include "core/zlib_stream.h"
#include "limited_file_size.h"
#include "support/temp_program_folder.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <zlib.h>

namespace {

ByteStream ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return ByteStream((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const ByteStream& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

ByteStream Inflate(const ByteStream& packed)
{
    ByteStream out(1 << 20);
    uLongf size = out.size();
    EXPECT_EQ(uncompress(out.data(), &size, packed.data(), packed.size()), Z_OK);
    out.resize(size);
    return out;
}

std::string ExpectError(const std::function<void()>& action)
{
    try {
        action();
    } catch (const DeckrecError& e) {
        return e.what();
    }
    return "(no error)";
}

Picture Noise(int w, int h, unsigned seed)
{
    Picture p(w, h);
    std::mt19937 rng(seed);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w * 3; ++x)
            p.scanLine(y)[x] = static_cast<uint8_t>(rng());
    return p;
}

} // namespace

TEST(FrameStore, OnePixelFrameIsA58ByteBmpInALevel1ZlibStream)
{
    TempProgramFolder folder;
    Picture pixel(1, 1);
    pixel.scanLine(0)[0] = 0x10; // blue
    pixel.scanLine(0)[1] = 0x20; // green
    pixel.scanLine(0)[2] = 0x30; // red
    SaveFrame(folder.files(), pixel, 7);

    const ByteStream file = ReadFile(folder.files().FrameFilePath(7));
    ASSERT_GE(file.size(), 6u);
    EXPECT_EQ(file[0], 0x78);
    EXPECT_EQ(file[1], 0x01);

    const ByteStream expected = {
        'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,     // file header
        40, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24, 0,   // size, width, height, planes, bpp
        0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,     // compression, image size, resolution
        0, 0, 0, 0, 0, 0, 0, 0,                             // colours
        0x10, 0x20, 0x30, 0};                               // one pixel and its row fill
    EXPECT_EQ(Inflate(file), expected);

    // The whole file is exactly what zlib's level 1 makes of those bytes.
    ByteStream reference(compressBound(expected.size()));
    uLongf size = reference.size();
    compress2(reference.data(), &size, expected.data(), expected.size(), 1);
    reference.resize(size);
    EXPECT_EQ(file, reference);
}

TEST(FrameStore, RoundTripsPicturesOfEveryRowPadding)
{
    TempProgramFolder folder;
    for (int w : {1, 2, 3, 4, 5, 595}) {
        const Picture original = Noise(w, 7, static_cast<unsigned>(w));
        SaveFrame(folder.files(), original, w);
        Picture loaded;
        LoadFrame(folder.files(), w, loaded);
        ASSERT_EQ(loaded.width(), w);
        ASSERT_EQ(loaded.height(), 7);
        for (int y = 0; y < 7; ++y)
            EXPECT_EQ(0, std::memcmp(loaded.scanLine(y), original.scanLine(y), static_cast<size_t>(w) * 3)) << w;
    }
}

TEST(FrameStore, DecompressionIgnoresTrailingBytesAndKeepsTruncatedOutput)
{
    TempProgramFolder folder;
    const Picture original = Noise(20, 10, 1);
    SaveFrame(folder.files(), original, 1);
    ByteStream file = ReadFile(folder.files().FrameFilePath(1));
    ByteStream plain;
    DecompressFileToStream(folder.files().FrameFilePath(1), plain);

    ByteStream extended = file;
    extended.insert(extended.end(), {1, 2, 3, 4, 5, 6, 7, 8});
    WriteFile(folder.files().FrameFilePath(2), extended);
    ByteStream fromExtended;
    DecompressFileToStream(folder.files().FrameFilePath(2), fromExtended);
    EXPECT_EQ(fromExtended, plain);

    WriteFile(folder.files().FrameFilePath(3), ByteStream(file.begin(), file.begin() + static_cast<long>(file.size() / 2)));
    ByteStream partial;
    DecompressFileToStream(folder.files().FrameFilePath(3), partial);
    EXPECT_LT(partial.size(), plain.size());
    EXPECT_TRUE(std::equal(partial.begin(), partial.end(), plain.begin()));
    Picture picture;
    EXPECT_EQ(ExpectError([&] { LoadFrame(folder.files(), 3, picture); }),
              "Bitmap image is not valid (" + folder.files().FrameFilePath(3) + ")");

    // An empty zlib stream decodes to nothing.
    ByteStream empty(16);
    uLongf size = empty.size();
    compress2(empty.data(), &size, nullptr, 0, 1);
    empty.resize(size);
    WriteFile(folder.files().FrameFilePath(4), empty);
    ByteStream none;
    DecompressFileToStream(folder.files().FrameFilePath(4), none);
    EXPECT_TRUE(none.empty());
}

TEST(FrameStore, FailuresCarryTheirTexts)
{
    TempProgramFolder folder;
    ByteStream out;
    EXPECT_EQ(ExpectError([&] { DecompressFileToStream(folder.files().FrameFilePath(99), out); }), "Cannot open file " + folder.files().FrameFilePath(99));

    WriteFile(folder.files().FrameFilePath(5), {0x78, 0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x12});
    EXPECT_EQ(ExpectError([&] { DecompressFileToStream(folder.files().FrameFilePath(5), out); }), "error");

    std::filesystem::remove_all(folder.files().WorkingDirectory());
    EXPECT_EQ(ExpectError([&] { SaveFrame(folder.files(), Picture(2, 2), 1); }), "Cannot create file " + folder.files().FrameFilePath(1));
}

TEST(FrameStore, HostileBitmapHeadersAreRejected)
{
    ByteStream good;
    EncodeBmp24(Noise(3, 2, 5), good);
    Picture picture;
    EXPECT_NO_THROW(DecodeBmp24(good, picture));

    auto patched = [&](size_t at, std::initializer_list<uint8_t> bytes) {
        ByteStream b = good;
        std::copy(bytes.begin(), bytes.end(), b.begin() + static_cast<long>(at));
        return b;
    };
    const std::vector<ByteStream> hostile = {
        ByteStream(good.begin(), good.begin() + 53),        // header cut short
        ByteStream(good.begin(), good.end() - 1),           // pixel rows cut short
        patched(0, {'M', 'B'}),                             // wrong magic
        patched(18, {0xFF, 0xFF, 0xFF, 0x7F}),              // width that overflows the stride
        patched(22, {0x00, 0x00, 0x01, 0x00}),              // height far beyond the data
        patched(18, {0, 0, 0, 0}),                          // zero width
        patched(22, {0xFE, 0xFF, 0xFF, 0xFF}),              // negative height
        patched(28, {8, 0}),                                // another bit depth
        patched(30, {1, 0, 0, 0}),                          // compressed rows
        patched(10, {0xFF, 0xFF, 0xFF, 0xFF}),              // pixel offset beyond the file
        patched(14, {12, 0, 0, 0}),                         // another info header
    };
    for (size_t i = 0; i < hostile.size(); ++i)
        EXPECT_EQ(ExpectError([&] { DecodeBmp24(hostile[i], picture); }), "Bitmap image is not valid") << "case " << i;
}

// A disk that fills up while a frame is written: the recorder stops at that slot, and
// everything stored before it must stay readable.
TEST(FrameStore, AWriteThatFailsPartWayLeavesNoFileAndKeepsTheStoredFrames)
{
    TempProgramFolder folder;
    const WorkingFiles& files = folder.files();
    const Picture still(40, 30); // black: a few hundred bytes compressed
    const Picture noise = Noise(100, 100, 3); // about 30 KB whatever the compression
    SaveFrame(files, still, 1);
    SaveFrame(files, still, 2);

    // In the child: slot 2 is written again and slot 3 anew, both beyond the limit.
    const int failures = RunWithFileSizeLimit(8192, [&] {
        int failed = 0;
        for (int slot : {2, 3}) {
            try {
                SaveFrame(files, noise, slot);
            } catch (const DeckrecError& e) {
                failed += std::string(e.what()) == "Write error: " + files.FrameFilePath(slot) + ": File too large";
            }
        }
        return failed;
    });
    ASSERT_EQ(failures, 2) << "both writes failed part-way with EFBIG";

    EXPECT_FALSE(FrameExists(files, 3));
    EXPECT_FALSE(std::filesystem::exists(PartialFramePath(files.FrameFilePath(3))));
    EXPECT_FALSE(std::filesystem::exists(PartialFramePath(files.FrameFilePath(2))));
    for (int slot : {1, 2}) {
        Picture loaded;
        ASSERT_NO_THROW(LoadFrame(files, slot, loaded)) << slot;
        EXPECT_EQ(loaded.width(), 40);
        EXPECT_EQ(loaded.height(), 30);
    }
    // Nothing but the two frames is left in the working directory.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(files.WorkingDirectory()),
                            std::filesystem::directory_iterator()), 2);
}
