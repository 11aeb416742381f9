// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A bitmap in memory: rows top-down, each row padded to a multiple of 4 bytes like a
// device-independent bitmap, so that a row can go to a BMP or AVI frame unchanged.
// Captured pictures are pf24bit with blue, green, red bytes; black is 0.

#include <cstddef>
#include <cstdint>
#include <vector>

enum class TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };

// Bits per pixel of a format; 0 for pfDevice and pfCustom, which have no fixed layout.
int BitsPerPixel(TPixelFormat format);

class Picture {
public:
    Picture() = default;
    Picture(int width, int height, TPixelFormat format = TPixelFormat::pf24bit);

    int width() const { return width_; }
    int height() const { return height_; }
    TPixelFormat pixelFormat() const { return format_; }
    bool empty() const { return width_ == 0 || height_ == 0; }

    // Bytes of one row including the padding to a multiple of 4.
    int bytesPerLine() const { return stride_; }
    uint8_t* scanLine(int y) { return pixels_.data() + static_cast<size_t>(y) * stride_; }
    const uint8_t* scanLine(int y) const { return pixels_.data() + static_cast<size_t>(y) * stride_; }
    uint8_t* bits() { return pixels_.data(); }
    const uint8_t* bits() const { return pixels_.data(); }
    size_t byteCount() const { return pixels_.size(); }

    // Resizes to width x height in the given format; every byte, padding included, becomes 0.
    void reset(int width, int height, TPixelFormat format = TPixelFormat::pf24bit);

    // Colour table of the indexed formats, entries 0x00RRGGBB.
    std::vector<uint32_t>& palette() { return palette_; }
    const std::vector<uint32_t>& palette() const { return palette_; }

    static int strideFor(int width, TPixelFormat format);

private:
    int width_ = 0;
    int height_ = 0;
    int stride_ = 0;
    TPixelFormat format_ = TPixelFormat::pf24bit;
    std::vector<uint8_t> pixels_;
    std::vector<uint32_t> palette_;
};
