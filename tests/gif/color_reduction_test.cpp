// SPDX-License-Identifier: GPL-3.0-or-later
// Colour reduction: octree palettes, the colour mappers, and the two pixel mappers.
#include "gif/color_reduction.h"
#include "gif/gif_exception.h"
#include "gif/octree.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <random>

namespace {

struct Rgb {
    uint8_t r, g, b;
};

Picture FromColors(const std::vector<Rgb>& colors, int width)
{
    const int height = static_cast<int>((colors.size() + width - 1) / width);
    Picture p(width, height);
    for (size_t i = 0; i < colors.size(); ++i) {
        uint8_t* px = p.scanLine(static_cast<int>(i / width)) + 3 * (i % width);
        px[0] = colors[i].b;
        px[1] = colors[i].g;
        px[2] = colors[i].r;
    }
    return p;
}

uint32_t Packed(Rgb c)
{
    return (c.r << 16) | (c.g << 8) | c.b;
}

// Octree order of a colour: its bits interleaved red, green, blue from the top bit down.
uint32_t OctreeKey(Rgb c)
{
    uint32_t key = 0;
    for (int bit = 7; bit >= 0; --bit)
        key = (key << 3) | (((c.r >> bit) & 1) << 2) | (((c.g >> bit) & 1) << 1) | ((c.b >> bit) & 1);
    return key;
}

// Returns one fixed colour for everything and records what it was asked.
class FixedLookup : public TColorLookup {
public:
    explicit FixedLookup(Rgb answer) : answer_(answer) { colorCount_ = 1; }
    uint8_t MapColor(uint8_t r, uint8_t g, uint8_t b, uint8_t& outR, uint8_t& outG, uint8_t& outB) override
    {
        asked.push_back({r, g, b});
        outR = answer_.r;
        outG = answer_.g;
        outB = answer_.b;
        return 0;
    }
    std::vector<Rgb> asked;

private:
    Rgb answer_;
};

// Runs a pixel mapper over a picture the way colour reduction does.
void Scan(TDitherEngine& engine, const std::vector<std::vector<Rgb>>& rows)
{
    uint8_t r, g, b;
    for (const auto& row : rows) {
        for (int x = engine.ScanColumn(); x >= 0 && x < engine.Width(); x = engine.ScanColumn())
            engine.QuantizePixel(row[static_cast<size_t>(x)].r, row[static_cast<size_t>(x)].g, row[static_cast<size_t>(x)].b, r, g, b);
        engine.AdvanceRow();
    }
}

std::vector<int> Reds(const std::vector<Rgb>& asked)
{
    std::vector<int> out;
    for (const Rgb& c : asked)
        out.push_back(c.r);
    return out;
}

} // namespace

TEST(Octree, UpTo256ColoursComeThroughExactlyInOctreeOrder)
{
    std::mt19937 rng(11);
    std::map<uint32_t, Rgb> distinct;
    std::vector<Rgb> pixels;
    while (distinct.size() < 256) {
        const Rgb c{static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng())};
        distinct.emplace(Packed(c), c);
        pixels.push_back(c);
        pixels.push_back(c);
    }
    std::shuffle(pixels.begin(), pixels.end(), rng);
    Picture picture = FromColors(pixels, 32);
    const ColorPalette palette = BuildOctreePalette(picture, 256, 8, false);

    std::vector<Rgb> expected;
    for (const auto& [packed, c] : distinct)
        expected.push_back(c);
    std::sort(expected.begin(), expected.end(), [](Rgb a, Rgb b) { return OctreeKey(a) < OctreeKey(b); });
    ASSERT_EQ(palette.size(), 256u);
    for (size_t i = 0; i < 256; ++i)
        EXPECT_EQ(Packed({palette[i].red, palette[i].green, palette[i].blue}), Packed(expected[i])) << i;

    // Mapped through the fast mapper each pixel keeps its colour, unless an earlier entry
    // shares its 32 x 32 x 32 cell.
    const Picture reduced = ReduceToIndexed(picture, pmOptimal, dfNearest, 8);
    std::map<int, uint32_t> firstInCell;
    for (const Rgb& c : expected)
        firstInCell.emplace(TFastColorLookup::CellKey(c.r, c.g, c.b), Packed(c));
    for (size_t i = 0; i < pixels.size(); ++i) {
        const uint8_t index = reduced.scanLine(static_cast<int>(i / 32))[i % 32];
        EXPECT_EQ(reduced.palette()[index], firstInCell[TFastColorLookup::CellKey(pixels[i].r, pixels[i].g, pixels[i].b)]) << i;
    }
}

TEST(Octree, MergesTheNodePushedLastAtTheDeepestLevel)
{
    // Five colours, room for four: the level-7 node of (128,0,0) was pushed last but has one
    // child, so merging it frees nothing; the white pair's node comes next and becomes one
    // leaf with the average colour.
    Picture picture = FromColors({{0, 0, 0}, {0, 0, 1}, {255, 255, 255}, {255, 255, 254}, {128, 0, 0}}, 5);
    const ColorPalette palette = BuildOctreePalette(picture, 4, 8, false);
    const std::vector<uint32_t> expected = {0x000000, 0x000001, 0x800000, 0xFFFFFE};
    ASSERT_EQ(palette.size(), 4u);
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ(Packed({palette[i].red, palette[i].green, palette[i].blue}), expected[i]) << i;

    TColorQuantizer quantizer(4, 8);
    for (int v = 0; v < 200; ++v) {
        quantizer.AddColor(static_cast<uint8_t>(v), static_cast<uint8_t>(255 - v), static_cast<uint8_t>(v * 7));
        ASSERT_LE(quantizer.LeafCount(), 4);
    }
}

TEST(Octree, OneColourFillsEntryZeroAndBlackTheRest)
{
    Picture picture = FromColors(std::vector<Rgb>(50, Rgb{10, 200, 30}), 10);
    const ColorPalette palette = BuildOctreePalette(picture, 256, 8, false);
    ASSERT_EQ(palette.size(), 256u);
    EXPECT_EQ(Packed({palette[0].red, palette[0].green, palette[0].blue}), 0x0AC81Eu);
    EXPECT_TRUE(std::all_of(palette.begin() + 1, palette.end(), [](const PaletteEntry& e) { return e == PaletteEntry{}; }));

    const ColorPalette withSystem = BuildOctreePalette(picture, 236, 8, true);
    ASSERT_EQ(withSystem.size(), 256u);
    EXPECT_EQ(withSystem[0], SystemPalette20()[0]);
    EXPECT_EQ(Packed({withSystem[10].red, withSystem[10].green, withSystem[10].blue}), 0x0AC81Eu);
    EXPECT_EQ(withSystem[255], SystemPalette20()[19]);
}

TEST(ColorMappers, FixedFormulasOfGreyWebAndMonochrome)
{
    uint8_t r, g, b;
    TGrayScaleLookup grey;
    EXPECT_EQ(grey.MapColor(255, 255, 255, r, g, b), 255);
    EXPECT_EQ(grey.MapColor(0, 0, 0, r, g, b), 0);
    EXPECT_EQ(grey.MapColor(255, 0, 0, r, g, b), 76);
    EXPECT_EQ(r, 76);
    EXPECT_EQ(b, 76);

    TNetscapeColorLookup web;
    EXPECT_EQ(web.MapColor(47, 48, 255, r, g, b), 11);
    EXPECT_EQ(r, 0);
    EXPECT_EQ(g, 51);
    EXPECT_EQ(b, 255);
    EXPECT_EQ(web.ColorCount(), 216);

    TMonochromeLookup mono;
    EXPECT_EQ(mono.MapColor(127, 127, 127, r, g, b), 0);
    EXPECT_EQ(mono.MapColor(128, 128, 128, r, g, b), 1);
    EXPECT_EQ(r, 255);
}

TEST(ColorMappers, FastLookupAnswersPerCell)
{
    uint8_t r, g, b;
    // (7,7,7) lies in the cell of (0,0,0), which comes first: it never maps to itself.
    TFastColorLookup cells({{0, 0, 0, 0}, {8, 8, 8, 0}, {7, 7, 7, 0}});
    EXPECT_EQ(cells.MapColor(7, 7, 7, r, g, b), 0);
    EXPECT_EQ(cells.MapColor(9, 9, 9, r, g, b), 1);

    // An empty cell takes the answer for the first colour asked: (55,55,55) is nearer to
    // 100 than to 0, and (48,48,48) of the same cell gets that answer too.
    TFastColorLookup cached({{0, 0, 0, 0}, {100, 100, 100, 0}});
    EXPECT_EQ(cached.MapColor(55, 55, 55, r, g, b), 1);
    EXPECT_EQ(cached.MapColor(48, 48, 48, r, g, b), 1);
    TFastColorLookup fresh({{0, 0, 0, 0}, {100, 100, 100, 0}});
    EXPECT_EQ(fresh.MapColor(48, 48, 48, r, g, b), 0);
    // Ties go to the first entry.
    TFastColorLookup tie({{0, 0, 0, 0}, {100, 100, 100, 0}});
    EXPECT_EQ(tie.MapColor(50, 50, 50, r, g, b), 0);
}

TEST(ReduceToIndexed, ResultHas256EntriesWithBlackAfterThePalette)
{
    Picture picture = FromColors({{0, 0, 0}, {100, 100, 100}, {200, 200, 200}, {255, 255, 255}}, 2);
    const Picture reduced = ReduceToIndexed(picture, pmSystemGray4, dfNearest, 8);
    EXPECT_EQ(reduced.pixelFormat(), TPixelFormat::pf8bit);
    ASSERT_EQ(reduced.palette().size(), 256u);
    EXPECT_EQ(std::vector<uint32_t>(reduced.palette().begin(), reduced.palette().begin() + 5),
              (std::vector<uint32_t>{0, 0x808080, 0xC0C0C0, 0xFFFFFF, 0}));
    EXPECT_TRUE(std::all_of(reduced.palette().begin() + 4, reduced.palette().end(), [](uint32_t c) { return c == 0; }));
    EXPECT_EQ(reduced.scanLine(0)[1], 1);
    EXPECT_EQ(reduced.scanLine(1)[0], 2);

    const Picture grey = ReduceToIndexed(picture, pmGray256, dfNearest, 8);
    EXPECT_EQ(grey.palette()[200], 0xC8C8C8u);
    EXPECT_EQ(grey.scanLine(1)[1], 255);
    const Picture web = ReduceToIndexed(picture, pmWeb216, dfNearest, 8);
    EXPECT_EQ(web.palette()[215], 0xFFFFFFu);
    EXPECT_EQ(web.palette()[216], 0u);
    EXPECT_EQ(ReduceToIndexed(picture, pmBlackWhite, dfNearest, 8).scanLine(1)[0], 1);
    for (TPaletteMode mode : {pmSystem20, pmHalftone256, pmOptimalSystem})
        EXPECT_EQ(ReduceToIndexed(picture, mode, dfFloydSteinberg, 8).palette().size(), 256u) << int(mode);
    EXPECT_EQ(HalftonePalette256().size(), 256u);
}

TEST(ReduceToIndexed, UnusualRequests)
{
    Picture picture = FromColors({{1, 2, 3}, {40, 50, 60}}, 2);
    const Picture copy = ReduceToIndexed(picture, pmNone, dfNearest, 8);
    EXPECT_EQ(copy.pixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(copy.scanLine(0)[5], 40);
    EXPECT_TRUE(ReduceToIndexed(picture, static_cast<TPaletteMode>(10), dfNearest, 8).empty());
    EXPECT_TRUE(ReduceToIndexed(picture, pmOptimal, static_cast<TDiffusionMode>(7), 8).empty());
    const ColorPalette none;
    EXPECT_TRUE(ReduceToIndexed(picture, pmCustom, dfNearest, 8, &none).empty());
    const ColorPalette two = {{40, 50, 60, 0}, {1, 2, 3, 0}};
    EXPECT_EQ(ReduceToIndexed(picture, pmCustom, dfNearest, 8, &two).scanLine(0)[0], 1);
    EXPECT_EQ(ReduceToIndexed(picture, pmOptimal, dfNearest, 1).palette()[2], 0u); // 2 colours, black after them

    Picture empty;
    try {
        ReduceToIndexed(empty, pmOptimal, dfNearest, 8);
        FAIL();
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "Invalid image dimensions");
    }

    // A 32-bit picture is converted to 24 bits in place first.
    Picture wide(2, 1, TPixelFormat::pf32bit);
    wide.scanLine(0)[4] = 9; // blue of pixel 1
    const Picture reduced = ReduceToIndexed(wide, pmGray256, dfNearest, 8);
    EXPECT_EQ(wide.pixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(wide.scanLine(0)[3], 9);
    EXPECT_EQ(reduced.scanLine(0)[1], (29 * 9) >> 8);
}

TEST(Dithering, RowsAreVisitedInAlternatingDirections)
{
    FixedLookup lookup({0, 0, 0});
    TDitherEngine engine(3, lookup);
    Scan(engine, {{{0, 0, 0}, {1, 0, 0}, {2, 0, 0}}, {{3, 0, 0}, {4, 0, 0}, {5, 0, 0}}, {{6, 0, 0}, {7, 0, 0}, {8, 0, 0}}});
    EXPECT_EQ(Reds(lookup.asked), (std::vector<int>{0, 1, 2, 5, 4, 3, 6, 7, 8}));
    EXPECT_EQ(engine.ScanDirection(), -1);
    EXPECT_EQ(engine.ScanColumn(), 2);
}

TEST(Dithering, FloydSteinbergCarriesErrorsInIntegers)
{
    // Everything maps to black: the whole input is error. Worked by hand from the rules:
    // row 0 reads 16 and 16 + (112 + 8) / 16 = 23; row 1 starts at the error entry past the
    // row end (0), then reads 16 + (131 + 112 + 8) / 16 = 31; row 2 reads 16 + (48 + 8) / 16
    // = 19 and 16 + (171 + 133 + 8) / 16 = 35.
    FixedLookup lookup({0, 0, 0});
    TFloydSteinbergDitherer fs(2, lookup);
    const std::vector<Rgb> row(2, Rgb{16, 16, 16});
    Scan(fs, {row, row, row});
    EXPECT_EQ(Reds(lookup.asked), (std::vector<int>{16, 23, 16, 31, 19, 35}));
}

TEST(Dithering, FloydSteinbergTruncatesTowardZeroAndClamps)
{
    // Error -2 carries 7 * -2 = -14: (-14 + 8) / 16 is 0, not -1.
    FixedLookup small({12, 12, 12});
    TFloydSteinbergDitherer a(2, small);
    Scan(a, {{{10, 10, 10}, {100, 100, 100}}});
    EXPECT_EQ(small.asked[1].r, 100);
    // Error -5 carries -35: (-35 + 8) / 16 is -1, not -2.
    FixedLookup larger({15, 15, 15});
    TFloydSteinbergDitherer b(2, larger);
    Scan(b, {{{10, 10, 10}, {100, 100, 100}}});
    EXPECT_EQ(larger.asked[1].r, 99);
    // 255 with a carried positive error stays 255.
    FixedLookup low({250, 250, 250});
    TFloydSteinbergDitherer c(3, low);
    Scan(c, {{{255, 255, 255}, {255, 255, 255}, {255, 255, 255}}});
    EXPECT_EQ(low.asked[1].r, 255);
    EXPECT_EQ(low.asked[2].r, 255);
}

TEST(Dithering, ChannelWithoutErrorCarriesNothing)
{
    FixedLookup lookup({50, 50, 50});
    TFloydSteinbergDitherer fs(3, lookup);
    Scan(fs, {{{50, 60, 50}, {50, 50, 50}, {50, 50, 50}}});
    EXPECT_EQ(lookup.asked[1].r, 50);
    EXPECT_EQ(lookup.asked[1].g, 50 + (70 + 8) / 16);
    EXPECT_EQ(lookup.asked[1].b, 50);
}

TEST(Dithering, ExactPaletteColoursAreMappedAlikeByBothMappers)
{
    std::mt19937 rng(3);
    std::vector<Rgb> pixels;
    for (int i = 0; i < 40 * 30; ++i) {
        const PaletteEntry& e = WebPalette216()[rng() % 216];
        pixels.push_back({e.red, e.green, e.blue});
    }
    for (TPaletteMode mode : {pmWeb216, pmOptimal, pmGray256}) {
        Picture source = FromColors(pixels, 40);
        if (mode == pmGray256)
            source = FromColors(std::vector<Rgb>(1200, Rgb{128, 128, 128}), 40);
        Picture a = source;
        Picture b = source;
        const Picture nearest = ReduceToIndexed(a, mode, dfNearest, 8);
        const Picture diffused = ReduceToIndexed(b, mode, dfFloydSteinberg, 8);
        for (int y = 0; y < 30; ++y)
            ASSERT_TRUE(std::equal(nearest.scanLine(y), nearest.scanLine(y) + 40, diffused.scanLine(y))) << int(mode) << " row " << y;
        if (mode == pmGray256) {
            EXPECT_EQ(diffused.scanLine(17)[23], 128);
        }
    }
}
