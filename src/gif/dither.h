// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Pixel mappers: which palette index each pixel of a row gets. Rows are scanned in
// alternating directions, the first left to right.

#include "gif/color_lookup.h"

#include <cstdint>
#include <vector>

enum TDiffusionMode : uint8_t {
    dfNearest = 0,
    dfFloydSteinberg = 1,
    dfStucki = 2,
    dfSierra = 3,
    dfJaJuNi = 4,
    dfSteveArche = 5,
    dfBurkes = 6,
};

// Nearest colour: every pixel is mapped as it is.
class TDitherEngine {
public:
    TDitherEngine(int width, TColorLookup& lookup) : lookup_(lookup), width_(width) {}
    virtual ~TDitherEngine() = default;

    virtual uint8_t QuantizePixel(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed, uint8_t& outGreen, uint8_t& outBlue);
    // Called after the last pixel of a row: reverses the direction for the next row.
    virtual void AdvanceRow();

    int ScanDirection() const { return direction_; }
    int ScanColumn() const { return column_; }
    int Width() const { return width_; }

protected:
    TColorLookup& lookup_;
    int width_;
    int direction_ = 1;
    int column_ = 0;
};

// Floyd-Steinberg in integers: 7/16 of a pixel's error to the next pixel of the row, and
// 3/16, 5/16 and 1/16 to the next row through running sums kept per channel.
class TFloydSteinbergDitherer : public TDitherEngine {
public:
    TFloydSteinbergDitherer(int width, TColorLookup& lookup);

    uint8_t QuantizePixel(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed, uint8_t& outGreen, uint8_t& outBlue) override;
    void AdvanceRow() override;

private:
    struct Channel {
        std::vector<int32_t> errors; // width + 2 entries, in sixteenths
        int32_t current = 0;
        int32_t below = 0;
        int32_t belowPrevious = 0;
    };
    Channel channels_[3]; // red, green, blue
    int position_ = 0;
};
