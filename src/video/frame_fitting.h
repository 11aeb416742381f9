// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Fitting a picture onto an AVI frame: a stretch that drops or repeats whole pixels, then the
// frame's pixel format. Indexed frames carry a fixed palette and take each pixel's nearest
// colour in it; entry 0 is black in every palette, so an untouched frame is black.

#include "core/picture.h"

#include <cstdint>
#include <vector>

// The colour table of an indexed format (entries 0x00RRGGBB): black and white for pf1bit,
// the 16 standard colours for pf4bit, a 256-colour halftone palette for pf8bit (a 6 x 6 x 6
// colour cube followed by 40 greys); empty for the others.
const std::vector<uint32_t>& FramePalette(TPixelFormat format);

// Index of the colour nearest (r, g, b) in FramePalette(format), by squared RGB distance;
// ties go to the lower index.
int NearestColourIndex(TPixelFormat format, uint8_t r, uint8_t g, uint8_t b);

// A new width x height bitmap in format (pf1bit, pf4bit, pf8bit, pf24bit or pf32bit) showing
// the whole picture, aspect ratio not kept. Indexed rows are packed leftmost pixel in the
// highest bits; pf32bit is B, G, R, 255 (opaque). An empty picture gives a black frame.
Picture FitPicture(const Picture& picture, int width, int height, TPixelFormat format);
