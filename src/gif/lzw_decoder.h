// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reads back the image data the LZW encoder wrote (minimum code size byte, data sub-blocks,
// block terminator), so that a frame kept only in its encoded form can still be shown.

#include <cstddef>
#include <cstdint>

// Decodes into pixels (pixelCount indices, rows from the top); data that ends early leaves
// the rest 0. Raises "Premature end of data" for bytes that are not image data: a missing
// terminator, a code size outside 2..8 or a code that no string has yet.
void DecodeLzwImage(const uint8_t* data, size_t size, uint8_t* pixels, size_t pixelCount);
