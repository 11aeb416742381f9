// SPDX-License-Identifier: GPL-3.0-or-later
#include "gif/color_lookup.h"

#include <cstdlib>

TFastColorLookup::TFastColorLookup(const ColorPalette& palette)
    : palette_(palette.size() > 256 ? ColorPalette(palette.begin(), palette.begin() + 256) : palette)
{
    colorCount_ = static_cast<int>(palette_.size());
    inverse_.fill(-1);
    // The first entry of a cell wins.
    for (int i = 0; i < colorCount_; ++i) {
        int16_t& cell = inverse_[CellKey(palette_[i].red, palette_[i].green, palette_[i].blue)];
        if (cell == -1)
            cell = static_cast<int16_t>(i);
    }
}

int TFastColorLookup::Search(uint8_t red, uint8_t green, uint8_t blue) const
{
    int best = 0;
    int bestDistance = 196608;
    for (int i = 0; i < colorCount_; ++i) {
        const PaletteEntry& e = palette_[i];
        const int distance = std::abs(e.red - red) + std::abs(e.green - green) + std::abs(e.blue - blue);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}

uint8_t TFastColorLookup::MapColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed, uint8_t& outGreen, uint8_t& outBlue)
{
    const uint8_t index = MapIndex(red, green, blue);
    const PaletteEntry& e = palette_[index];
    outRed = e.red;
    outGreen = e.green;
    outBlue = e.blue;
    return index;
}

uint8_t TGrayScaleLookup::MapColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed, uint8_t& outGreen, uint8_t& outBlue)
{
    const auto grey = static_cast<uint8_t>((77 * red + 150 * green + 29 * blue) >> 8);
    outRed = outGreen = outBlue = grey;
    return grey;
}

uint8_t TNetscapeColorLookup::MapColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed, uint8_t& outGreen, uint8_t& outBlue)
{
    const int r = (red + 3) / 51;
    const int g = (green + 3) / 51;
    const int b = (blue + 3) / 51;
    outRed = static_cast<uint8_t>(51 * r);
    outGreen = static_cast<uint8_t>(51 * g);
    outBlue = static_cast<uint8_t>(51 * b);
    return static_cast<uint8_t>(r * 36 + g * 6 + b);
}

uint8_t TMonochromeLookup::MapColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed, uint8_t& outGreen, uint8_t& outBlue)
{
    if (29 * blue + 150 * green + 77 * red < 32513) {
        outRed = outGreen = outBlue = 0;
        return 0;
    }
    outRed = outGreen = outBlue = 255;
    return 1;
}
