// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Palettes of colour reduction: entries of red, green, blue and a flags byte, in index order.

#include <cstdint>
#include <vector>

struct PaletteEntry {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t flags = 0;
    bool operator==(const PaletteEntry&) const = default;
};

using ColorPalette = std::vector<PaletteEntry>;

// Entry i = (i, i, i).
const ColorPalette& GrayPalette256();
// Entry r*36 + g*6 + b = (51r, 51g, 51b) for r, g, b in 0..5.
const ColorPalette& WebPalette216();
// 0x00, 0x80, 0xC0, 0xFF as greys.
const ColorPalette& SystemGray4();
// Black and white.
const ColorPalette& BlackWhitePalette();
// The desktop's 20 reserved colours: the 16 basic colours and four pale tints, as ten
// first and ten last entries of an indexed screen.
const ColorPalette& SystemPalette20();
// A screen palette for halftoning: the ten first system colours, the 6 x 6 x 6 colour cube,
// twenty intermediate greys and the ten last system colours.
const ColorPalette& HalftonePalette256();
