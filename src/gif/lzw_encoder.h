#pragma once
// GIF image data: minimum code size byte, variable-width LZW codes (least significant bit
// first) in data sub-blocks of at most 255 bytes, block terminator.

#include "gif/gif_stream.h"

#include <cstdint>

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

    static int PrimaryProbe(uint32_t key) { return static_cast<int>((key ^ (key >> 4)) % kSize); }
    static int NextProbe(int h)
    {
        int next = h == 0 ? h - 1 : h - (kSize - h);
        return next < 0 ? next + kSize : next;
    }

private:
    static bool IsEmpty(uint32_t slot) { return (slot >> 12) == 0xFFFFF; }
    int FindSlot(uint32_t key) const;

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

    // Advances the scan to the next pixel (in pixel_); false at the end of the frame.
    bool NextPixel()
    {
        if (--pixelsLeft_ <= 0)
            return false;
        pixel_ = *++pixelPointer_;
        return true;
    }
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
    const uint8_t* pixelPointer_ = nullptr;
    long long pixelsLeft_ = 0;
    uint8_t pixel_ = 0;
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
    THashTable* table_ = nullptr;
};
