// SPDX-License-Identifier: GPL-3.0-or-later
// The LZW encoder: exact bytes where they are fixed, and giflib reading back every stream.
#include "gif/gif_exception.h"
#include "gif/lzw_encoder.h"
#include "gif_oracle.h"

#include <gtest/gtest.h>
#include <random>
#include <set>

namespace {

std::vector<uint8_t> Encode(const std::vector<uint8_t>& pixels, int width, int height, int bits, int colors)
{
    GifMemoryStream out;
    TLZWEncoder encoder;
    encoder.EncodeImage(out, static_cast<uint8_t>(bits), colors, pixels.data(), height, width);
    return out.bytes;
}

// A minimal GIF around one frame's image data, so that giflib reads the encoder alone.
std::vector<uint8_t> WrapInGif(const std::vector<uint8_t>& imageData, int width, int height, int bits)
{
    std::vector<uint8_t> g = {'G', 'I', 'F', '8', '7', 'a'};
    auto word = [&](int v) {
        g.push_back(static_cast<uint8_t>(v & 0xFF));
        g.push_back(static_cast<uint8_t>(v >> 8));
    };
    word(width);
    word(height);
    g.insert(g.end(), {0x00, 0, 0});
    g.push_back(0x2C);
    word(0);
    word(0);
    word(width);
    word(height);
    g.push_back(static_cast<uint8_t>(0x80 | (bits - 1)));
    for (int i = 0; i < (1 << bits); ++i)
        g.insert(g.end(), {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i / 2)});
    g.insert(g.end(), imageData.begin(), imageData.end());
    g.push_back(0x3B);
    return g;
}

void ExpectRoundTrip(const std::vector<uint8_t>& pixels, int width, int height, int bits)
{
    const DecodedGif gif = DecodeGif(WrapInGif(Encode(pixels, width, height, bits, 1 << bits), width, height, bits));
    ASSERT_TRUE(gif.ok) << gif.error;
    ASSERT_EQ(gif.frames.size(), 1u);
    EXPECT_EQ(gif.frames[0].indices, pixels);
}

std::vector<uint8_t> Noise(size_t n, int colors, unsigned seed)
{
    std::mt19937 rng(seed);
    std::vector<uint8_t> v(n);
    for (auto& p : v)
        p = static_cast<uint8_t>(rng() % colors);
    return v;
}

// Records every code with the width it went out at, and every clear.
class RecordingEncoder : public TLZWEncoder {
public:
    std::vector<std::pair<int, int>> codes;
    int clears = 0;

protected:
    void EmitCode(int code) override
    {
        codes.emplace_back(code, bitSize_);
        TLZWEncoder::EmitCode(code);
    }
    void EmitClear() override
    {
        ++clears;
        TLZWEncoder::EmitClear();
    }
};

} // namespace

TEST(LzwEncoder, OnePixelGivesTheFixedBytes)
{
    EXPECT_EQ(Encode({0}, 1, 1, 8, 256), (std::vector<uint8_t>{0x08, 0x04, 0x00, 0x01, 0x04, 0x04, 0x00}));
}

TEST(LzwEncoder, TwoColourTablesUseMinimumCodeSizeTwo)
{
    RecordingEncoder encoder;
    GifMemoryStream out;
    const std::vector<uint8_t> pixels = {1, 0, 1, 1};
    encoder.EncodeImage(out, 1, 2, pixels.data(), 1, 4);
    EXPECT_EQ(out.bytes[0], 2);
    ASSERT_GE(encoder.codes.size(), 2u);
    EXPECT_EQ(encoder.codes.front(), std::make_pair(4, 3)); // clear code 4 at width 3
    EXPECT_EQ(encoder.codes.back().first, 5);               // end code
    ExpectRoundTrip(pixels, 4, 1, 2);
}

TEST(LzwEncoder, GiflibReadsBackOddShapes)
{
    ExpectRoundTrip({7}, 1, 1, 8);
    ExpectRoundTrip(Noise(1000, 256, 1), 1000, 1, 8); // one row
    ExpectRoundTrip(Noise(700, 16, 2), 1, 700, 4);    // one column
    std::vector<uint8_t> all(256);
    for (int i = 0; i < 256; ++i)
        all[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
    ExpectRoundTrip(all, 16, 16, 8);
    ExpectRoundTrip(std::vector<uint8_t>(640 * 480, 3), 640, 480, 8); // long runs
    ExpectRoundTrip(Noise(333 * 77, 3, 3), 333, 77, 2);
    // Runs of random lengths and colours: long strings, and table clears among them.
    std::mt19937 rng(9);
    std::vector<uint8_t> runs;
    while (runs.size() < 700 * 700) {
        const auto colour = static_cast<uint8_t>(rng() % 40);
        runs.insert(runs.end(), 1 + rng() % 30, colour);
    }
    runs.resize(700 * 700);
    ExpectRoundTrip(runs, 700, 700, 8);
}

TEST(LzwEncoder, WidthGrowsAtTheFixedPointsAndClearsAfterCode4094)
{
    RecordingEncoder encoder;
    GifMemoryStream out;
    const std::vector<uint8_t> pixels = Noise(300 * 300, 256, 4);
    encoder.EncodeImage(out, 8, 256, pixels.data(), 300, 300);

    EXPECT_GE(encoder.clears, 3); // the first clear, then at least two after code 4094
    // After every clear code the width is back at 9; widths only grow in between, one bit
    // at a time, never beyond 12.
    int width = 9;
    int widestBeforeClear = 0;
    for (size_t i = 0; i < encoder.codes.size(); ++i) {
        const auto [code, bits] = encoder.codes[i];
        EXPECT_GE(bits, width);
        EXPECT_LE(bits, width + 1);
        EXPECT_LE(bits, 12);
        width = bits;
        if (code == 256) {
            if (i > 0)
                widestBeforeClear = std::max(widestBeforeClear, bits);
            width = 9;
        }
    }
    EXPECT_EQ(widestBeforeClear, 12); // the clear after code 4094 goes out at 12 bits
    ExpectRoundTrip(pixels, 300, 300, 8);
}

TEST(LzwEncoder, WidthChangesFollowTheNextFreeCode)
{
    // Each new pair of a de Bruijn-like sequence misses once: with no repeats, code k + 258
    // is assigned at the k-th emission, so width 10 starts with the code after the one
    // emitted when the next free code was 512.
    RecordingEncoder encoder;
    GifMemoryStream out;
    std::vector<uint8_t> pixels;
    for (int a = 0; a < 256 && pixels.size() < 2000; ++a)
        for (int b = a + 1; b < 256 && pixels.size() < 2000; ++b) {
            pixels.push_back(static_cast<uint8_t>(a));
            pixels.push_back(static_cast<uint8_t>(b));
        }
    encoder.EncodeImage(out, 8, 256, pixels.data(), 1, static_cast<int>(pixels.size()));
    // codes[0] is the clear; codes[k] (k >= 1) went out when the next free code was 257 + k
    // as long as no string repeated, which holds for the first codes here.
    ASSERT_GT(encoder.codes.size(), 300u);
    EXPECT_EQ(encoder.codes[255].second, 9);  // next free 512 at emission: still 9 bits
    EXPECT_EQ(encoder.codes[256].second, 10); // the width grew after it
    ExpectRoundTrip(pixels, static_cast<int>(pixels.size()), 1, 8);
}

TEST(LzwEncoder, CodesFillingExactly255BytesMakeOneSubBlock)
{
    for (int n = 150; n < 400; ++n) {
        const std::vector<uint8_t> pixels = Noise(static_cast<size_t>(n), 256, 5);
        const std::vector<uint8_t> bytes = Encode(pixels, n, 1, 8, 256);
        if (bytes.size() != 1 + 256 + 1)
            continue;
        EXPECT_EQ(bytes[1], 255);
        EXPECT_EQ(bytes.back(), 0); // straight after the full block: the terminator
        ExpectRoundTrip(pixels, n, 1, 8);
        return;
    }
    FAIL() << "no frame of exactly 255 code bytes found";
}

TEST(LzwEncoder, LongerStreamsSplitIntoFullSubBlocks)
{
    const std::vector<uint8_t> bytes = Encode(Noise(2000, 256, 6), 2000, 1, 8, 256);
    size_t at = 1;
    int blocks = 0;
    while (bytes[at] != 0) {
        const size_t size = bytes[at];
        at += size + 1;
        ++blocks;
        if (bytes[at] != 0) {
            EXPECT_EQ(size, 255u) << "only the last sub-block may be short";
        }
    }
    EXPECT_GE(blocks, 2);
    EXPECT_EQ(at, bytes.size() - 1);
}

TEST(LzwEncoder, PixelOutsideTheTableIsRejected)
{
    try {
        Encode({0, 1, 3}, 3, 1, 2, 3);
        FAIL() << "expected an error";
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "Color not in color table");
    }
    EXPECT_THROW(Encode({3}, 1, 1, 2, 3), GIFException); // the first pixel as well
}

TEST(LzwEncoder, EmptyFrameWritesOnlyTheEndCode)
{
    GifMemoryStream out;
    TLZWEncoder encoder;
    encoder.EncodeImage(out, 8, 256, nullptr, 0, 0);
    // End code 257 at 9 bits: 0x01 0x01.
    EXPECT_EQ(out.bytes, (std::vector<uint8_t>{0x08, 0x02, 0x01, 0x01, 0x00}));
}

TEST(LzwHashTable, ProbesAndFindsWhatWasInserted)
{
    EXPECT_EQ(THashTable::NextProbe(0), 8008);
    EXPECT_EQ(THashTable::NextProbe(100), 200);
    EXPECT_EQ(THashTable::NextProbe(5000), 1991);
    for (uint32_t key = 0; key < (1u << 20); ++key)
        ASSERT_EQ(THashTable::PrimaryProbe(key), static_cast<int>((key ^ (key >> 4)) % 8009)) << key;

    THashTable table;
    EXPECT_EQ(table.Lookup(42), -1);
    table.Insert(42, 300);
    table.Insert((4094u << 8) | 255, 4094);
    EXPECT_EQ(table.Lookup(42), 300);
    EXPECT_EQ(table.Lookup((4094u << 8) | 255), 4094);
    table.Clear();
    EXPECT_EQ(table.Lookup(42), -1);
}

TEST(LzwHashTable, KeysCrowdingOneProbeCycleAreStillFound)
{
    // Doubling modulo 8009 visits only 4004 slots from a start; 4100 keys whose first slot
    // lies on one such cycle would loop forever without the slot-by-slot fallback.
    std::set<int> cycle;
    for (int h = 1; cycle.insert(h).second;)
        h = THashTable::NextProbe(h);
    ASSERT_EQ(cycle.size(), 4004u);
    std::vector<uint32_t> keys;
    for (uint32_t key = 0; keys.size() < 4100 && key < (1u << 20); ++key)
        if (cycle.count(THashTable::PrimaryProbe(key)))
            keys.push_back(key);
    ASSERT_EQ(keys.size(), 4100u);
    THashTable table;
    for (size_t i = 0; i < keys.size(); ++i)
        table.Insert(keys[i], static_cast<uint16_t>(i % 4096));
    for (size_t i = 0; i < keys.size(); ++i)
        ASSERT_EQ(table.Lookup(keys[i]), static_cast<int>(i % 4096)) << i;
    EXPECT_EQ(table.Lookup((1u << 20) - 1), -1);
}
