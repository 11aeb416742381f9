// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Packs the finished frames of a build on a thread of their own, one frame at a time: the LZW
// coding of one frame runs while the next one is reduced. The code is stored in the frames
// in their order, on the caller's thread, so spilling happens as with Pack().

#include "gif/gif_image.h"

#include <cstdint>
#include <future>
#include <utility>
#include <vector>

class GifFramePacker {
public:
    GifFramePacker() = default;
    // Waits for the coding in progress: it reads the pixels of a frame the caller owns.
    ~GifFramePacker();
    GifFramePacker(const GifFramePacker&) = delete;
    GifFramePacker& operator=(const GifFramePacker&) = delete;

    // Finishes the frame before and starts coding this one. Until Finish, nothing may change
    // the frame's pixels or size or release it; its extensions and other frames are free.
    void Pack(TGIFSubImage& frame);
    // Stores the code of the frame in progress, if any. Errors of the coding come out here.
    void Finish();

private:
    struct Coded {
        bool ok = false;
        std::vector<uint8_t> code;
    };

    TGIFSubImage* frame_ = nullptr;
    std::pair<int, int> table_{0, 0};
    std::future<Coded> coded_;
};
