// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/bmp_codec.h"

#include "core/deckrec_error.h"

#include <cstring>

namespace {

void Put16(ByteStream& out, uint16_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(ByteStream& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

uint32_t Get32(const ByteStream& in, size_t at)
{
    return in[at] | in[at + 1] << 8 | in[at + 2] << 16 | static_cast<uint32_t>(in[at + 3]) << 24;
}

uint16_t Get16(const ByteStream& in, size_t at)
{
    return static_cast<uint16_t>(in[at] | in[at + 1] << 8);
}

[[noreturn]] void Invalid()
{
    throw DeckrecError("Bitmap image is not valid");
}

} // namespace

void EncodeBmp24(const Picture& picture, ByteStream& out)
{
    const uint32_t stride = static_cast<uint32_t>(Picture::strideFor(picture.width(), TPixelFormat::pf24bit));
    const uint32_t imageSize = stride * static_cast<uint32_t>(picture.height());
    out.reserve(out.size() + kBmpHeaderSize + imageSize);

    out.push_back('B');
    out.push_back('M');
    Put32(out, kBmpHeaderSize + imageSize); // file size
    Put16(out, 0);                          // reserved
    Put16(out, 0);
    Put32(out, kBmpHeaderSize);             // offset of the pixel rows
    Put32(out, 40);                         // info header size
    Put32(out, static_cast<uint32_t>(picture.width()));
    Put32(out, static_cast<uint32_t>(picture.height()));
    Put16(out, 1);                          // planes
    Put16(out, 24);                         // bits per pixel
    Put32(out, 0);                          // no compression
    Put32(out, imageSize);
    Put32(out, 0);                          // resolution
    Put32(out, 0);
    Put32(out, 0);                          // colours used
    Put32(out, 0);                          // important colours

    // Pictures keep their rows padded with zeros exactly as a BMP row is, so rows copy whole.
    for (int y = picture.height() - 1; y >= 0; --y) {
        const uint8_t* row = picture.scanLine(y);
        out.insert(out.end(), row, row + stride);
    }
}

void DecodeBmp24(const ByteStream& bytes, Picture& picture)
{
    if (bytes.size() < kBmpHeaderSize || bytes[0] != 'B' || bytes[1] != 'M')
        Invalid();
    const uint32_t offset = Get32(bytes, 10);
    const uint32_t infoSize = Get32(bytes, 14);
    const int32_t width = static_cast<int32_t>(Get32(bytes, 18));
    const int32_t height = static_cast<int32_t>(Get32(bytes, 22));
    if (infoSize != 40 || Get16(bytes, 26) != 1 || Get16(bytes, 28) != 24 || Get32(bytes, 30) != 0)
        Invalid();
    if (width <= 0 || height <= 0 || width > kMaxBmpSide || height > kMaxBmpSide)
        Invalid();
    const uint64_t stride = static_cast<uint64_t>(Picture::strideFor(width, TPixelFormat::pf24bit));
    const uint64_t imageSize = stride * static_cast<uint64_t>(height);
    if (offset < kBmpHeaderSize || offset > bytes.size() || bytes.size() - offset < imageSize)
        Invalid();

    // Sizes are now bounded by the data actually present, so the allocation is safe.
    picture.reset(width, height, TPixelFormat::pf24bit);
    const uint8_t* src = bytes.data() + offset;
    for (int y = height - 1; y >= 0; --y, src += stride) {
        uint8_t* row = picture.scanLine(y);
        std::memcpy(row, src, static_cast<size_t>(width) * 3);
        // The padding stays zero whatever the file holds, so equal pictures compare equal.
    }
}
