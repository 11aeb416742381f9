// SPDX-License-Identifier: GPL-3.0-or-later
#include "video/frame_fitting.h"

#include "core/picture_ops.h"

#include <array>
#include <climits>
#include <cstdlib>

namespace {

constexpr int kCubeStep = 51; // levels 0, 51, ..., 255 of the 6 x 6 x 6 cube
constexpr int kGreys = 40;

std::vector<uint32_t> HalftonePalette()
{
    std::vector<uint32_t> palette;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                palette.push_back(static_cast<uint32_t>((r * kCubeStep) << 16 | (g * kCubeStep) << 8 | b * kCubeStep));
    // Greys between the cube's own, so that grey text and shadows keep their steps.
    for (int k = 1; k <= kGreys; ++k) {
        const uint32_t level = static_cast<uint32_t>((k * 255 + 20) / 41);
        palette.push_back(level << 16 | level << 8 | level);
    }
    return palette;
}

int Distance(uint32_t entry, int r, int g, int b)
{
    const int dr = static_cast<int>((entry >> 16) & 0xFF) - r;
    const int dg = static_cast<int>((entry >> 8) & 0xFF) - g;
    const int db = static_cast<int>(entry & 0xFF) - b;
    return dr * dr + dg * dg + db * db;
}

// The cube is separable, so its nearest entry is the nearest level per channel; among greys
// the nearest is the one closest to the mean, because the distance to a grey g is
// 3 (g - mean)^2 plus a constant.
int NearestHalftone(int r, int g, int b)
{
    const auto& palette = FramePalette(TPixelFormat::pf8bit);
    const int cube = ((r + kCubeStep / 2) / kCubeStep) * 36 + ((g + kCubeStep / 2) / kCubeStep) * 6 +
        (b + kCubeStep / 2) / kCubeStep;
    static const std::array<int, 766> greyForSum = [] {
        std::array<int, 766> table{};
        const auto& entries = FramePalette(TPixelFormat::pf8bit);
        for (int sum = 0; sum <= 765; ++sum) {
            int best = 216;
            for (int i = 216; i < 216 + kGreys; ++i)
                if (std::abs(3 * static_cast<int>(entries[static_cast<size_t>(i)] & 0xFF) - sum) <
                    std::abs(3 * static_cast<int>(entries[static_cast<size_t>(best)] & 0xFF) - sum))
                    best = i;
            table[static_cast<size_t>(sum)] = best;
        }
        return table;
    }();
    const int grey = greyForSum[static_cast<size_t>(r + g + b)];
    return Distance(palette[static_cast<size_t>(grey)], r, g, b) < Distance(palette[static_cast<size_t>(cube)], r, g, b)
        ? grey
        : cube;
}

int NearestByScan(TPixelFormat format, int r, int g, int b)
{
    const auto& palette = FramePalette(format);
    int best = 0;
    int bestDistance = INT_MAX;
    for (size_t i = 0; i < palette.size(); ++i) {
        const int d = Distance(palette[i], r, g, b);
        if (d < bestDistance) {
            bestDistance = d;
            best = static_cast<int>(i);
        }
    }
    return best;
}

// The colour of pixel x of a row of any of the picture formats, as B, G, R.
void ReadPixel(const Picture& picture, const uint8_t* row, int x, uint8_t bgr[3])
{
    switch (picture.pixelFormat()) {
    case TPixelFormat::pf24bit:
    case TPixelFormat::pf32bit: {
        const uint8_t* p = row + x * (picture.pixelFormat() == TPixelFormat::pf24bit ? 3 : 4);
        bgr[0] = p[0];
        bgr[1] = p[1];
        bgr[2] = p[2];
        return;
    }
    case TPixelFormat::pf15bit:
    case TPixelFormat::pf16bit: {
        const int v = row[2 * x] | row[2 * x + 1] << 8;
        const bool five = picture.pixelFormat() == TPixelFormat::pf15bit;
        const int r = five ? (v >> 10) & 31 : (v >> 11) & 31;
        const int g = five ? ((v >> 5) & 31) * 63 / 31 : (v >> 5) & 63;
        bgr[0] = static_cast<uint8_t>((v & 31) * 255 / 31);
        bgr[1] = static_cast<uint8_t>(g * 255 / 63);
        bgr[2] = static_cast<uint8_t>(r * 255 / 31);
        return;
    }
    default: {
        const int bits = BitsPerPixel(picture.pixelFormat());
        const int bit = x * bits;
        const int index = (row[bit / 8] >> (8 - bits - bit % 8)) & ((1 << bits) - 1);
        const auto& palette = picture.palette();
        const uint32_t colour = static_cast<size_t>(index) < palette.size() ? palette[static_cast<size_t>(index)] : 0;
        bgr[0] = static_cast<uint8_t>(colour);
        bgr[1] = static_cast<uint8_t>(colour >> 8);
        bgr[2] = static_cast<uint8_t>(colour >> 16);
        return;
    }
    }
}

Picture As24Bit(const Picture& picture)
{
    Picture out(picture.width(), picture.height(), TPixelFormat::pf24bit);
    for (int y = 0; y < picture.height(); ++y) {
        const uint8_t* src = picture.scanLine(y);
        uint8_t* dst = out.scanLine(y);
        for (int x = 0; x < picture.width(); ++x)
            ReadPixel(picture, src, x, dst + 3 * x);
    }
    return out;
}

void ToIndexed(const Picture& rgb, Picture& out)
{
    const TPixelFormat format = out.pixelFormat();
    const int bits = BitsPerPixel(format);
    for (int y = 0; y < rgb.height(); ++y) {
        const uint8_t* src = rgb.scanLine(y);
        uint8_t* dst = out.scanLine(y);
        uint32_t lastColour = UINT32_MAX;
        int lastIndex = 0;
        for (int x = 0; x < rgb.width(); ++x) {
            const uint8_t* p = src + 3 * x;
            const uint32_t colour = static_cast<uint32_t>(p[2] << 16 | p[1] << 8 | p[0]);
            if (colour != lastColour) { // slides repeat colours along a row
                lastColour = colour;
                lastIndex = NearestColourIndex(format, p[2], p[1], p[0]);
            }
            const int bit = x * bits;
            dst[bit / 8] |= static_cast<uint8_t>(lastIndex << (8 - bits - bit % 8));
        }
    }
    out.palette() = FramePalette(format);
}

void To32Bit(const Picture& rgb, Picture& out)
{
    for (int y = 0; y < rgb.height(); ++y) {
        const uint8_t* src = rgb.scanLine(y);
        uint8_t* dst = out.scanLine(y);
        for (int x = 0; x < rgb.width(); ++x) {
            dst[4 * x] = src[3 * x];
            dst[4 * x + 1] = src[3 * x + 1];
            dst[4 * x + 2] = src[3 * x + 2];
            dst[4 * x + 3] = 0xFF; // opaque: players that honour the alpha byte show black for 0
        }
    }
}

} // namespace

const std::vector<uint32_t>& FramePalette(TPixelFormat format)
{
    static const std::vector<uint32_t> mono = {0x000000, 0xFFFFFF};
    static const std::vector<uint32_t> sixteen = {
        0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
        0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    static const std::vector<uint32_t> halftone = HalftonePalette();
    static const std::vector<uint32_t> none;
    switch (format) {
    case TPixelFormat::pf1bit: return mono;
    case TPixelFormat::pf4bit: return sixteen;
    case TPixelFormat::pf8bit: return halftone;
    default: return none;
    }
}

int NearestColourIndex(TPixelFormat format, uint8_t r, uint8_t g, uint8_t b)
{
    switch (format) {
    case TPixelFormat::pf1bit: return r + g + b > 382 ? 1 : 0; // nearer white than black
    case TPixelFormat::pf8bit: return NearestHalftone(r, g, b);
    default: return NearestByScan(format, r, g, b);
    }
}

Picture FitPicture(const Picture& picture, int width, int height, TPixelFormat format)
{
    Picture rgb = picture.pixelFormat() == TPixelFormat::pf24bit ? picture : As24Bit(picture);
    // A capture exported at its own size needs no stretch, and a stretch onto the same size
    // would only copy every pixel once more.
    if (rgb.width() != width || rgb.height() != height)
        ScaleBitmapInPlace(rgb, width, height);
    if (format == TPixelFormat::pf24bit)
        return rgb;
    Picture out(width, height, format);
    if (format == TPixelFormat::pf32bit)
        To32Bit(rgb, out);
    else
        ToIndexed(rgb, out);
    return out;
}
