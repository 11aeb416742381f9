// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The frame files' picture format: a complete 24-bit, bottom-up, uncompressed BMP file image
// with a 54-byte header and no colour table.

#include "core/picture.h"
#include "core/zlib_stream.h"

// Appends the BMP file image of a pf24bit picture to out.
void EncodeBmp24(const Picture& picture, ByteStream& out);

// Loads a BMP file image as written by EncodeBmp24 into picture (pf24bit). Anything else,
// including truncated or inconsistent data, throws DeckrecError "Bitmap image is not valid".
void DecodeBmp24(const ByteStream& bytes, Picture& picture);

constexpr int kBmpHeaderSize = 54;
// Largest side the reader accepts; frames are screen areas, far below this.
constexpr int kMaxBmpSide = 16384;
