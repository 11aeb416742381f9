// SPDX-License-Identifier: GPL-3.0-or-later
#include "gif/gif_frame_packer.h"

#include <system_error>

GifFramePacker::~GifFramePacker()
{
    if (coded_.valid())
        coded_.wait();
}

void GifFramePacker::Pack(TGIFSubImage& frame)
{
    Finish();
    if (frame.Packed() || frame.Empty())
        return;
    // The table is taken now, as Pack() would: a shared table may still grow afterwards.
    table_ = frame.CodingTable();
    const uint8_t* pixels = std::as_const(frame).Data();
    const int width = frame.Width();
    const int height = frame.Height();
    const std::pair<int, int> table = table_;
    try {
        coded_ = std::async(std::launch::async, [pixels, width, height, table] {
            Coded result;
            result.ok = TGIFSubImage::CodePixels(pixels, width, height, table, result.code);
            return result;
        });
    } catch (const std::system_error&) {
        // No thread to be had: the frame is packed here, as it would be without a packer.
        frame.Pack();
        return;
    }
    frame_ = &frame;
}

void GifFramePacker::Finish()
{
    if (!coded_.valid())
        return;
    TGIFSubImage* frame = frame_;
    frame_ = nullptr;
    Coded result = coded_.get();
    if (result.ok)
        frame->StoreCode(table_, std::move(result.code));
}
