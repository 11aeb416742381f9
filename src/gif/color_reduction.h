// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// True colour to 8-bit indexed: a palette (fixed, or the picture's own octree palette) and a
// pixel mapper that gives every pixel its index, row by row in alternating directions.

#include "core/picture.h"
#include "gif/dither.h"
#include "gif/palettes.h"

#include <cstdint>

enum TPaletteMode : uint8_t {
    pmNone = 0,
    pmSystem20 = 1,
    pmHalftone256 = 2,
    pmSystemGray4 = 3,
    pmBlackWhite = 4,
    pmGray256 = 5,
    pmWeb216 = 6,
    pmOptimal = 7,
    pmOptimalSystem = 8,
    pmCustom = 9,
};

// Returns an 8-bit picture of the same size whose colour table has 256 entries: the mode's
// palette first, black after it. pmNone returns a 24-bit copy; an unknown mode or diffusion
// mode, or a custom palette without colours, returns an empty picture. The picture itself is
// converted to 24 bits per pixel first. paletteBits (1..8) sizes the palette of pmOptimal.
// Raises GIFException "Invalid image dimensions" for an empty picture and "Unsupported
// PixelFormat" for a format without a fixed layout.
Picture ReduceToIndexed(Picture& picture, TPaletteMode mode, TDiffusionMode diffusion, int paletteBits,
                        const ColorPalette* customPalette = nullptr);

// Converts any picture with a fixed layout to pf24bit in place (blue, green, red).
void ConvertTo24Bit(Picture& picture);
