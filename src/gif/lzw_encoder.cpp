// SPDX-License-Identifier: GPL-3.0-or-later
#include "gif/lzw_encoder.h"

#include "gif/gif_exception.h"

#include <algorithm>
#include <cstring>

void THashTable::Clear()
{
    std::memset(slots_, 0xFF, sizeof slots_);
}

// The slot holding key, or the empty slot where it belongs. The probe sequence doubles the
// slot number modulo the table size and so cycles through one half of the slots only; should
// that half ever be full, the walk goes on slot by slot, which finds every slot.
int THashTable::FindFurther(uint32_t key, int start) const
{
    int h = NextProbe(start);
    while (h != start) {
        const uint32_t slot = slots_[h];
        if (IsEmpty(slot) || (slot >> 12) == key)
            return h;
        h = NextProbe(h);
    }
    for (int i = 1; i < kSize; ++i) {
        h = start + i < kSize ? start + i : start + i - kSize;
        const uint32_t slot = slots_[h];
        if (IsEmpty(slot) || (slot >> 12) == key)
            return h;
    }
    return -1;
}

void THashTable::Insert(uint32_t key, uint16_t code)
{
    const int h = FindSlot(key);
    if (h >= 0)
        slots_[h] = (key << 12) | (code & 0xFFFu);
}

int THashTable::Lookup(uint32_t key) const
{
    const int h = FindSlot(key);
    if (h < 0 || IsEmpty(slots_[h]))
        return -1;
    return static_cast<int>(slots_[h] & 0xFFFu);
}

TGIFWriter::~TGIFWriter()
{
    if (!dirty_)
        return;
    // A failed write has already been reported by the write that failed.
    try {
        Flush();
    } catch (...) {
    }
}

void TGIFWriter::Write(const void* data, size_t count)
{
    const auto* p = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < count; ++i)
        WriteByte(p[i]);
}

void TGIFWriter::Flush()
{
    if (fill_ <= 1) {
        dirty_ = false;
        return;
    }
    buffer_[0] = static_cast<uint8_t>(fill_ - 1);
    const int count = fill_;
    fill_ = 1;
    dirty_ = false;
    target_.Write(buffer_, static_cast<size_t>(count));
}

void TGIFEncoder::EncodeImage(GifOutput& stream, uint8_t bitsPerPixel, int colorCount, const uint8_t* data, int height, int width)
{
    stream_ = &stream;
    colorCount_ = colorCount;
    bitsPerPixel_ = std::max<uint8_t>(bitsPerPixel, 2);
    stream.WriteByte(bitsPerPixel_);

    initialBitSize_ = bitsPerPixel_ + 1;
    bitSize_ = initialBitSize_;
    maxCode_ = static_cast<uint16_t>((1 << bitSize_) - 1);
    clearCode_ = static_cast<uint16_t>(1 << bitsPerPixel_);
    eofCode_ = static_cast<uint16_t>(clearCode_ + 1);
    freeCode_ = static_cast<uint16_t>(clearCode_ + 2);
    clearing_ = false;
    bucket_ = 0;
    bitCount_ = 0;
    width_ = width;
    height_ = height;
    pixelPointer_ = data;
    pixelsLeft_ = static_cast<long long>(width) * height;

    TGIFWriter writer(stream);
    writer_ = &writer;
    if (data && height > 0 && width > 0)
        EncodePixels();
    EmitCode(eofCode_);
    writer.Flush();
    writer_ = nullptr;

    stream.WriteByte(0);
}

void TGIFEncoder::CheckPixel(uint8_t pixel) const
{
    if (pixel >= colorCount_)
        throw GIFException(gif_messages::kColorNotInTable);
}

void TGIFEncoder::EmitCode(int code)
{
    if (bitCount_ > 0)
        bucket_ = (bucket_ & ((1u << bitCount_) - 1)) | (static_cast<uint32_t>(code) << bitCount_);
    else
        bucket_ = static_cast<uint32_t>(code);
    bitCount_ += bitSize_;
    while (bitCount_ >= 8) {
        writer_->WriteByte(static_cast<uint8_t>(bucket_ & 0xFF));
        bucket_ >>= 8;
        bitCount_ -= 8;
    }
    if (code == eofCode_) {
        // The last byte is padded with zero bits.
        while (bitCount_ > 0) {
            writer_->WriteByte(static_cast<uint8_t>(bucket_ & 0xFF));
            bucket_ >>= 8;
            bitCount_ -= 8;
        }
    }
}

void TGIFEncoder::EmitClear()
{
    clearing_ = true;
    EmitCode(clearCode_);
    freeCode_ = static_cast<uint16_t>(clearCode_ + 2);
}

void TLZWEncoder::EmitCode(int code)
{
    TGIFEncoder::EmitCode(code);
    // The width follows the next free code as it is when the code goes out, before the
    // string of this miss is added; a clear code returns it to the initial width.
    if (clearing_) {
        bitSize_ = initialBitSize_;
        maxCode_ = static_cast<uint16_t>((1 << bitSize_) - 1);
        clearing_ = false;
    } else if (freeCode_ > maxCode_) {
        ++bitSize_;
        maxCode_ = static_cast<uint16_t>(bitSize_ == 12 ? 4096 : (1 << bitSize_) - 1);
    }
}

void TLZWEncoder::EmitClear()
{
    clearing_ = true;
    EmitCode(clearCode_);
    table_->Clear();
    ForgetExtensions();
    freeCode_ = static_cast<uint16_t>(clearCode_ + 2);
}

void TLZWEncoder::EncodePixels()
{
    THashTable table;
    table_ = &table;
    EmitClear();

    // The scan runs on locals: the sub-block buffer is written byte by byte, and members
    // would have to be read again after every such write.
    const uint8_t* pixel = pixelPointer_;
    long long left = pixelsLeft_;
    // With 256 colours every byte is a colour of the table.
    const bool check = colorCount_ < 256;
    CheckPixel(*pixel);
    uint32_t prefix = *pixel;
    while (--left > 0) {
        const uint8_t p = *++pixel;
        if (check)
            CheckPixel(p);
        uint32_t& extension = lastExtension_[prefix];
        if ((extension >> 12) == (0x100u | p)) {
            prefix = extension & 0xFFF;
            continue;
        }
        const uint32_t key = (prefix << 8) | p;
        const int slot = table.FindSlot(key);
        if (table.SlotUsed(slot)) {
            prefix = table.SlotCode(slot);
            extension = Extension(p, prefix);
            continue;
        }
        EmitCode(static_cast<int>(prefix));
        prefix = p;
        if (freeCode_ <= kLastCode) {
            table.Store(slot, key, freeCode_);
            extension = Extension(p, freeCode_);
            ++freeCode_;
        } else {
            EmitClear();
        }
    }
    EmitCode(static_cast<int>(prefix));
    pixelPointer_ = pixel;
    pixelsLeft_ = 0;
    table_ = nullptr;
}
