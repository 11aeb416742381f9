// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// GIF delays are whole hundredths of a second; a recording's frame period need not be (at 30
// frames a second a slot lasts 3 1/3). Each slot gets the hundredths between the rounded times
// of its two ends, so every frame starts within half a hundredth of its true time and the
// delays add up to the recording's length; at 150 ms every slot gets exactly 15.

#include "core/frame_period.h"

#include <cmath>

// Hundredths from the start of the recording to the end of its first slotCount slots, rounded.
inline long long GifHundredthsAt(long long slotCount, double framePeriodMs = kDefaultFramePeriodMs)
{
    // A product rather than a running sum: no rounding error gathers over a long recording.
    return std::llround(static_cast<double>(slotCount) * framePeriodMs / 10.0);
}

// The hundredths slot k (0-based) adds to the time of the frame that shows it.
inline long long GifSlotDelay(long long k, double framePeriodMs = kDefaultFramePeriodMs)
{
    return GifHundredthsAt(k + 1, framePeriodMs) - GifHundredthsAt(k, framePeriodMs);
}
