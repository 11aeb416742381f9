// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// GIF image data: minimum code size byte, variable-width LZW codes (least significant bit
// first) in data sub-blocks of at most 255 bytes, block terminator.

#include "gif/gif_stream.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

// Strings seen since the last clear: open addressing over a prime number of slots, no
// allocation per string. A used slot holds (key << 12) | code; key = (prefix << 8) | pixel.
class THashTable {
public:
    static constexpr int kSize = 8009;

    THashTable() { Clear(); }
    void Clear();
    void Insert(uint32_t key, uint16_t code);
    // The code stored for key, or -1.
    int Lookup(uint32_t key) const;

    // The slot holding key, or the empty slot where it belongs (-1 only for a full table):
    // a miss in the encoder is stored into the slot its look-up found.
    int FindSlot(uint32_t key) const
    {
        const int h = PrimaryProbe(key);
        const uint32_t slot = slots_[h];
        if (IsEmpty(slot) || (slot >> 12) == key)
            return h;
        return FindFurther(key, h);
    }
    bool SlotUsed(int slot) const { return !IsEmpty(slots_[slot]); }
    uint16_t SlotCode(int slot) const { return static_cast<uint16_t>(slots_[slot] & 0xFFFu); }
    void Store(int slot, uint32_t key, uint16_t code) { slots_[slot] = (key << 12) | (code & 0xFFFu); }

    static int PrimaryProbe(uint32_t key)
    {
        // Keys have 20 bits: one multiplication gives the exact quotient by 8009 for them.
        const uint64_t x = key ^ (key >> 4);
        const uint64_t q = (x * kReciprocal) >> 33;
        return static_cast<int>(x - q * kSize);
    }
    static int NextProbe(int h)
    {
        int next = h == 0 ? h - 1 : h - (kSize - h);
        return next < 0 ? next + kSize : next;
    }

private:
    static bool IsEmpty(uint32_t slot) { return (slot >> 12) == 0xFFFFF; }
    // The walk past an occupied primary slot.
    int FindFurther(uint32_t key, int start) const;
    static constexpr uint64_t kReciprocal = ((uint64_t{1} << 33) + kSize - 1) / kSize;

    uint32_t slots_[kSize];
};

// Collects code bytes into sub-blocks: a count byte and up to 255 data bytes each.
class TGIFWriter : public TGIFStream {
public:
    explicit TGIFWriter(GifOutput& target) : TGIFStream(target) {}
    // Releasing flushes the last, partly filled sub-block.
    ~TGIFWriter() override;
    TGIFWriter(const TGIFWriter&) = delete;
    TGIFWriter& operator=(const TGIFWriter&) = delete;

    void Write(const void* data, size_t count) override;
    void WriteByte(uint8_t value)
    {
        buffer_[fill_++] = value;
        dirty_ = true;
        if (fill_ == 256)
            Flush();
    }
    void Flush();

private:
    uint8_t buffer_[256];
    int fill_ = 1;
    bool dirty_ = false;
};

class TGIFEncoder {
public:
    virtual ~TGIFEncoder() = default;

    // Writes the complete image data of one frame. bitsPerPixel is the frame's colour table
    // bits (raised to 2), colorCount the number of entries every pixel must stay below.
    void EncodeImage(GifOutput& stream, uint8_t bitsPerPixel, int colorCount, const uint8_t* data, int height, int width);

protected:
    virtual void EmitCode(int code);
    virtual void EmitClear();
    virtual void EncodePixels() = 0;

    // Raises "Color not in color table" for a pixel not below the colour count.
    void CheckPixel(uint8_t pixel) const;

    GifOutput* stream_ = nullptr;
    TGIFWriter* writer_ = nullptr;
    int colorCount_ = 0;
    uint8_t bitsPerPixel_ = 0;
    int initialBitSize_ = 0;
    int bitSize_ = 0;
    uint16_t maxCode_ = 0;
    uint16_t clearCode_ = 0;
    uint16_t eofCode_ = 0;
    uint16_t freeCode_ = 0;
    bool clearing_ = false;
    uint32_t bucket_ = 0;
    int bitCount_ = 0;
    int width_ = 0;
    int height_ = 0;
    // Scan position: pixels are taken in storage order, rows from the top.
    const uint8_t* pixelPointer_ = nullptr;
    long long pixelsLeft_ = 0;
};

class TLZWEncoder : public TGIFEncoder {
public:
    // Codes are assigned up to this one; the first miss after it clears the table.
    static constexpr int kLastCode = 4094;

protected:
    void EmitCode(int code) override;
    void EmitClear() override;
    void EncodePixels() override;

private:
    // The last extension of every code: (1 << 20) | (pixel << 12) | code of the longer
    // string, 0 when none. Runs of one colour ask the same string again and again; this
    // answers them with one read, and the string table is asked when the pixel differs.
    void ForgetExtensions() { std::fill(std::begin(lastExtension_), std::end(lastExtension_), 0u); }
    static uint32_t Extension(uint32_t pixel, uint32_t code) { return (1u << 20) | (pixel << 12) | code; }

    THashTable* table_ = nullptr;
    uint32_t lastExtension_[4096];
};
