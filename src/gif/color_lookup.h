// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Colour mappers: a true colour in, the index of a palette colour and that colour out.

#include "gif/palettes.h"

#include <array>
#include <cstdint>

class TColorLookup {
public:
    virtual ~TColorLookup() = default;
    // Number of palette entries this mapper maps to.
    int ColorCount() const { return colorCount_; }
    virtual uint8_t MapColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed, uint8_t& outGreen, uint8_t& outBlue) = 0;

protected:
    int colorCount_ = 0;
};

// Nearest colour by the sum of channel distances, remembered per 32 x 32 x 32 cell: every
// colour of a cell maps to the first palette entry inside the cell, or else to the entry
// nearest to the first colour of the cell that was looked up.
class TFastColorLookup final : public TColorLookup {
public:
    explicit TFastColorLookup(const ColorPalette& palette);
    uint8_t MapColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed, uint8_t& outGreen, uint8_t& outBlue) override;
    // MapColor without the colour out, for the mapper's loop over a whole picture.
    uint8_t MapIndex(uint8_t red, uint8_t green, uint8_t blue)
    {
        int16_t& cell = inverse_[CellKey(red, green, blue)];
        if (cell == -1)
            cell = static_cast<int16_t>(Search(red, green, blue));
        return static_cast<uint8_t>(cell);
    }

    static int CellKey(uint8_t red, uint8_t green, uint8_t blue)
    {
        return (red >> 3) | ((green >> 3) << 5) | ((blue >> 3) << 10);
    }

private:
    int Search(uint8_t red, uint8_t green, uint8_t blue) const;

    ColorPalette palette_;
    std::array<int16_t, 32768> inverse_;
};

// grey = (77 red + 150 green + 29 blue) >> 8 is both the index and the colour.
class TGrayScaleLookup : public TColorLookup {
public:
    TGrayScaleLookup() { colorCount_ = 256; }
    uint8_t MapColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed, uint8_t& outGreen, uint8_t& outBlue) override;
};

// The 6 x 6 x 6 web cube, by rounding each channel to a step of 51.
class TNetscapeColorLookup : public TColorLookup {
public:
    TNetscapeColorLookup() { colorCount_ = 216; }
    uint8_t MapColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed, uint8_t& outGreen, uint8_t& outBlue) override;
};

// Black below half brightness, white from it on.
class TMonochromeLookup : public TColorLookup {
public:
    TMonochromeLookup() { colorCount_ = 2; }
    uint8_t MapColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed, uint8_t& outGreen, uint8_t& outBlue) override;
};
