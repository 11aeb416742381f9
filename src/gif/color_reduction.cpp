// SPDX-License-Identifier: GPL-3.0-or-later
#include "gif/color_reduction.h"

#include "gif/gif_exception.h"
#include "gif/octree.h"

#include <algorithm>
#include <memory>
#include <new>

namespace {

uint32_t PaletteColor(const Picture& picture, int index)
{
    const auto& palette = picture.palette();
    return index < static_cast<int>(palette.size()) ? palette[static_cast<size_t>(index)] : 0;
}

// Blue, green, red of pixel x of row `row` for the layouts other than 24 bits.
void ReadPixel(const Picture& picture, const uint8_t* row, int x, uint8_t* bgr)
{
    uint32_t rgb = 0;
    switch (picture.pixelFormat()) {
    case TPixelFormat::pf32bit:
        bgr[0] = row[4 * x];
        bgr[1] = row[4 * x + 1];
        bgr[2] = row[4 * x + 2];
        return;
    case TPixelFormat::pf16bit: {
        const int v = row[2 * x] | (row[2 * x + 1] << 8);
        bgr[0] = static_cast<uint8_t>((v & 0x1F) * 255 / 31);
        bgr[1] = static_cast<uint8_t>(((v >> 5) & 0x3F) * 255 / 63);
        bgr[2] = static_cast<uint8_t>(((v >> 11) & 0x1F) * 255 / 31);
        return;
    }
    case TPixelFormat::pf15bit: {
        const int v = row[2 * x] | (row[2 * x + 1] << 8);
        bgr[0] = static_cast<uint8_t>((v & 0x1F) * 255 / 31);
        bgr[1] = static_cast<uint8_t>(((v >> 5) & 0x1F) * 255 / 31);
        bgr[2] = static_cast<uint8_t>(((v >> 10) & 0x1F) * 255 / 31);
        return;
    }
    case TPixelFormat::pf8bit: rgb = PaletteColor(picture, row[x]); break;
    case TPixelFormat::pf4bit: rgb = PaletteColor(picture, (row[x / 2] >> (x % 2 ? 0 : 4)) & 0x0F); break;
    case TPixelFormat::pf1bit: rgb = PaletteColor(picture, (row[x / 8] >> (7 - x % 8)) & 1); break;
    default: throw GIFException(gif_messages::kUnsupportedPixelFormat);
    }
    bgr[0] = static_cast<uint8_t>(rgb & 0xFF);
    bgr[1] = static_cast<uint8_t>((rgb >> 8) & 0xFF);
    bgr[2] = static_cast<uint8_t>((rgb >> 16) & 0xFF);
}

ColorPalette ModePalette(TPaletteMode mode, const Picture& picture, int paletteBits, const ColorPalette* custom)
{
    switch (mode) {
    case pmSystem20: return SystemPalette20();
    case pmHalftone256: return HalftonePalette256();
    case pmSystemGray4: return SystemGray4();
    case pmBlackWhite: return BlackWhitePalette();
    case pmGray256: return GrayPalette256();
    case pmWeb216: return WebPalette216();
    case pmOptimal: return BuildOctreePalette(picture, 1 << std::clamp(paletteBits, 1, 8), 8, false);
    case pmOptimalSystem: return BuildOctreePalette(picture, 236, 8, true);
    case pmCustom: return custom ? *custom : ColorPalette{};
    default: return {};
    }
}

std::unique_ptr<TColorLookup> ModeLookup(TPaletteMode mode, const ColorPalette& palette)
{
    switch (mode) {
    case pmBlackWhite: return std::make_unique<TMonochromeLookup>();
    case pmGray256: return std::make_unique<TGrayScaleLookup>();
    case pmWeb216: return std::make_unique<TNetscapeColorLookup>();
    default: return std::make_unique<TFastColorLookup>(palette);
    }
}

std::unique_ptr<TDitherEngine> ModeDitherer(TDiffusionMode diffusion, int width, TColorLookup& lookup)
{
    if (diffusion == dfNearest)
        return std::make_unique<TDitherEngine>(width, lookup);
    // The further error-diffusion kinds are never chosen here; they diffuse as Floyd-Steinberg.
    if (diffusion <= dfBurkes)
        return std::make_unique<TFloydSteinbergDitherer>(width, lookup);
    return nullptr;
}

void MapRows(const Picture& picture, TDitherEngine& engine, Picture& result)
{
    const int width = picture.width();
    uint8_t r, g, b;
    for (int y = 0; y < picture.height(); ++y) {
        const uint8_t* src = picture.scanLine(y);
        uint8_t* dst = result.scanLine(y);
        for (int x = engine.ScanColumn(); x >= 0 && x < width; x = engine.ScanColumn()) {
            const uint8_t* px = src + 3 * x;
            dst[x] = engine.QuantizePixel(px[2], px[1], px[0], r, g, b);
        }
        engine.AdvanceRow();
    }
}

// The nearest colour through the cell table, without a call per pixel. Which entry a cell
// gets depends on the first colour looked up in it, so the rows go in the same alternating
// directions as MapRows; a pixel like the one before it takes that one's index.
void MapRowsNearest(const Picture& picture, TFastColorLookup& lookup, Picture& result)
{
    const int width = picture.width();
    uint32_t last = 0xFFFFFFFFu;
    uint8_t lastIndex = 0;
    for (int y = 0; y < picture.height(); ++y) {
        const uint8_t* src = picture.scanLine(y);
        uint8_t* dst = result.scanLine(y);
        const bool leftToRight = y % 2 == 0;
        for (int i = 0; i < width; ++i) {
            const int x = leftToRight ? i : width - 1 - i;
            const uint8_t* px = src + 3 * x;
            const uint32_t color = px[0] | (px[1] << 8) | (px[2] << 16);
            if (color != last) {
                last = color;
                lastIndex = lookup.MapIndex(px[2], px[1], px[0]);
            }
            dst[x] = lastIndex;
        }
    }
}

} // namespace

void ConvertTo24Bit(Picture& picture)
{
    if (picture.pixelFormat() == TPixelFormat::pf24bit)
        return;
    if (BitsPerPixel(picture.pixelFormat()) == 0)
        throw GIFException(gif_messages::kUnsupportedPixelFormat);
    Picture converted(picture.width(), picture.height(), TPixelFormat::pf24bit);
    for (int y = 0; y < picture.height(); ++y) {
        const uint8_t* src = picture.scanLine(y);
        uint8_t* dst = converted.scanLine(y);
        for (int x = 0; x < picture.width(); ++x)
            ReadPixel(picture, src, x, dst + 3 * x);
    }
    picture = std::move(converted);
}

Picture ReduceToIndexed(Picture& picture, TPaletteMode mode, TDiffusionMode diffusion, int paletteBits, const ColorPalette* customPalette)
{
    ConvertTo24Bit(picture);
    if (mode == pmNone)
        return picture;
    if (mode > pmCustom)
        return {};
    if (picture.width() <= 0 || picture.height() <= 0)
        throw GIFException(gif_messages::kInvalidImageDimensions);

    const ColorPalette palette = ModePalette(mode, picture, paletteBits, customPalette);
    const std::unique_ptr<TColorLookup> lookup = ModeLookup(mode, palette);
    if (lookup->ColorCount() == 0)
        return {};
    const std::unique_ptr<TDitherEngine> engine = ModeDitherer(diffusion, picture.width(), *lookup);
    if (!engine)
        return {};

    Picture result;
    try {
        result.reset(picture.width(), picture.height(), TPixelFormat::pf8bit);
    } catch (const std::bad_alloc&) {
        throw GIFException(gif_messages::kOutOfMemoryForDib);
    }
    // The mapper's own colours: the grey and web mappers compute theirs, the others use the
    // palette they were given.
    ColorPalette colors = palette;
    if (mode == pmGray256)
        colors = GrayPalette256();
    else if (mode == pmWeb216)
        colors = WebPalette216();
    auto& table = result.palette();
    table.assign(256, 0);
    for (size_t i = 0; i < colors.size() && i < 256; ++i)
        table[i] = (static_cast<uint32_t>(colors[i].red) << 16) | (colors[i].green << 8) | colors[i].blue;

    auto* fast = dynamic_cast<TFastColorLookup*>(lookup.get());
    if (fast && diffusion == dfNearest)
        MapRowsNearest(picture, *fast, result);
    else
        MapRows(picture, *engine, result);
    return result;
}
