// SPDX-License-Identifier: GPL-3.0-or-later
#include "gif/dither.h"

#include <algorithm>

uint8_t TDitherEngine::QuantizePixel(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed, uint8_t& outGreen, uint8_t& outBlue)
{
    const uint8_t index = lookup_.MapColor(red, green, blue, outRed, outGreen, outBlue);
    column_ += direction_;
    return index;
}

void TDitherEngine::AdvanceRow()
{
    direction_ = -direction_;
    column_ = direction_ > 0 ? 0 : width_ - 1;
}

TFloydSteinbergDitherer::TFloydSteinbergDitherer(int width, TColorLookup& lookup)
    : TDitherEngine(width, lookup)
{
    for (Channel& c : channels_)
        c.errors.assign(static_cast<size_t>(width) + 2, 0);
}

uint8_t TFloydSteinbergDitherer::QuantizePixel(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed, uint8_t& outGreen, uint8_t& outBlue)
{
    const uint8_t input[3] = {red, green, blue};
    uint8_t corrected[3];
    for (int i = 0; i < 3; ++i) {
        Channel& c = channels_[i];
        // Integer division truncates toward zero: -9 + 8 gives 0, -25 + 8 gives -1.
        c.current = input[i] + (c.errors[position_] + c.current + 8) / 16;
        c.current = std::clamp(c.current, 0, 255);
        corrected[i] = static_cast<uint8_t>(c.current);
    }
    const uint8_t index = TDitherEngine::QuantizePixel(corrected[0], corrected[1], corrected[2], outRed, outGreen, outBlue);
    const uint8_t chosen[3] = {outRed, outGreen, outBlue};
    for (int i = 0; i < 3; ++i) {
        Channel& c = channels_[i];
        const int32_t e = c.current - chosen[i];
        if (e != 0) {
            c.errors[position_] = c.belowPrevious + 3 * e;
            c.belowPrevious = c.below + 5 * e;
            c.below = e;
            c.current = 7 * e;
        } else {
            // A channel without error leaves its sums as they are.
            c.current = 0;
        }
    }
    position_ += direction_;
    return index;
}

void TFloydSteinbergDitherer::AdvanceRow()
{
    for (Channel& c : channels_) {
        c.errors[position_] = c.belowPrevious;
        c.current = c.below = c.belowPrevious = 0;
    }
    TDitherEngine::AdvanceRow();
    position_ = direction_ > 0 ? 0 : width_ + 1;
}
