// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reads GIF bytes with giflib, an independent decoder, and composites the frames the way a
// viewer shows them (frames left in place, transparent pixels showing what was there).

#include <cstdint>
#include <string>
#include <vector>

struct DecodedFrame {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::vector<uint8_t> indices;
    std::vector<uint32_t> colors; // the frame's table as 0xRRGGBB
    int delay = -1;               // hundredths; -1 without a graphic control extension
    int transparent = -1;
    int disposal = 0;
    std::vector<uint32_t> screen; // the whole screen after this frame, 0xRRGGBB, 0 where unset
};

struct DecodedGif {
    bool ok = false;
    std::string error;
    int width = 0;
    int height = 0;
    int loopCount = -1; // of a NETSCAPE2.0 extension ahead of frame 0
    std::vector<DecodedFrame> frames;
};

DecodedGif DecodeGif(const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadFileBytes(const std::string& path);
