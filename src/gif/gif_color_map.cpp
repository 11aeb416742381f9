// SPDX-License-Identifier: GPL-3.0-or-later
#include "gif/gif_color_map.h"

#include "gif/gif_exception.h"

int ColorTableBits(int count)
{
    if (count <= 0)
        return 0;
    int bits = 1;
    while ((1 << bits) < count)
        ++bits;
    return bits;
}

int TGIFColorMap::Add(TGIFColor color)
{
    if (count_ >= kMaxColors)
        throw GIFException(gif_messages::kColorTableOverflow);
    colors_[static_cast<size_t>(count_)] = color;
    return count_++;
}

TGIFColor TGIFColorMap::Color(int index) const
{
    if (index < 0 || index >= count_) {
        if (owner_)
            owner_->Warn(gsWarning, gif_messages::kInvalidColorIndex);
        if (count_ == 0)
            throw GIFException(gif_messages::kColorTableEmpty);
        index = 0;
    }
    return colors_[static_cast<size_t>(index)];
}

void TGIFColorMap::Assign(const TGIFColorMap& other)
{
    colors_ = other.colors_;
    count_ = other.count_;
    sorted_ = other.sorted_;
}

void TGIFColorMap::SaveToStream(GifOutput& stream) const
{
    const int entries = count_ > 0 ? 1 << BitsPerPixel() : 0;
    uint8_t bytes[3 * kMaxColors] = {};
    for (int i = 0; i < count_; ++i) {
        bytes[3 * i] = colors_[static_cast<size_t>(i)].Red;
        bytes[3 * i + 1] = colors_[static_cast<size_t>(i)].Green;
        bytes[3 * i + 2] = colors_[static_cast<size_t>(i)].Blue;
    }
    stream.Write(bytes, static_cast<size_t>(3 * entries));
}
