// SPDX-License-Identifier: GPL-3.0-or-later
#include "gif_oracle.h"

#include <gif_lib.h>

#include <cstring>
#include <fstream>
#include <iterator>

namespace {

struct Source {
    const std::vector<uint8_t>* bytes;
    size_t position = 0;
};

int ReadBytes(GifFileType* gif, GifByteType* target, int count)
{
    auto* source = static_cast<Source*>(gif->UserData);
    const size_t left = source->bytes->size() - source->position;
    const size_t n = std::min(left, static_cast<size_t>(count));
    std::memcpy(target, source->bytes->data() + source->position, n);
    source->position += n;
    return static_cast<int>(n);
}

} // namespace

DecodedGif DecodeGif(const std::vector<uint8_t>& bytes)
{
    DecodedGif out;
    Source source{&bytes};
    int error = 0;
    GifFileType* gif = DGifOpen(&source, ReadBytes, &error);
    if (!gif) {
        out.error = GifErrorString(error);
        return out;
    }
    if (DGifSlurp(gif) != GIF_OK) {
        out.error = GifErrorString(gif->Error);
        DGifCloseFile(gif, &error);
        return out;
    }
    out.width = gif->SWidth;
    out.height = gif->SHeight;
    std::vector<uint32_t> screen(static_cast<size_t>(out.width) * out.height, 0);
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& image = gif->SavedImages[i];
        DecodedFrame frame;
        frame.left = image.ImageDesc.Left;
        frame.top = image.ImageDesc.Top;
        frame.width = image.ImageDesc.Width;
        frame.height = image.ImageDesc.Height;
        frame.indices.assign(image.RasterBits, image.RasterBits + static_cast<size_t>(frame.width) * frame.height);
        const ColorMapObject* map = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
        for (int c = 0; map && c < map->ColorCount; ++c)
            frame.colors.push_back((map->Colors[c].Red << 16) | (map->Colors[c].Green << 8) | map->Colors[c].Blue);
        GraphicsControlBlock gcb;
        if (DGifSavedExtensionToGCB(gif, i, &gcb) == GIF_OK) {
            for (int e = 0; e < image.ExtensionBlockCount; ++e)
                if (image.ExtensionBlocks[e].Function == GRAPHICS_EXT_FUNC_CODE) {
                    frame.delay = gcb.DelayTime;
                    frame.transparent = gcb.TransparentColor;
                    frame.disposal = gcb.DisposalMode;
                }
        }
        if (i == 0) {
            for (int e = 0; e + 1 < image.ExtensionBlockCount; ++e) {
                const ExtensionBlock& b = image.ExtensionBlocks[e];
                if (b.Function == APPLICATION_EXT_FUNC_CODE && b.ByteCount == 11 && std::memcmp(b.Bytes, "NETSCAPE2.0", 11) == 0) {
                    const ExtensionBlock& sub = image.ExtensionBlocks[e + 1];
                    if (sub.ByteCount >= 3 && sub.Bytes[0] == 1)
                        out.loopCount = sub.Bytes[1] | (sub.Bytes[2] << 8);
                }
            }
        }
        for (int y = 0; y < frame.height; ++y)
            for (int x = 0; x < frame.width; ++x) {
                const int sx = frame.left + x;
                const int sy = frame.top + y;
                const uint8_t index = frame.indices[static_cast<size_t>(y) * frame.width + x];
                if (sx >= out.width || sy >= out.height || index == frame.transparent)
                    continue;
                screen[static_cast<size_t>(sy) * out.width + sx] = index < frame.colors.size() ? frame.colors[index] : 0xDEAD;
            }
        frame.screen = screen;
        out.frames.push_back(std::move(frame));
    }
    DGifCloseFile(gif, &error);
    out.ok = true;
    return out;
}

std::vector<uint8_t> ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
