#pragma once
// The frame period: a recording is a row of slots, one every framePeriodMs (not always a whole
// number: 30 frames a second is 33.33 ms). Every rule that turns slots into time (the
// session's waits, the statistics, the exporters' frame times and the durations printed) goes
// through these helpers, so that a recording may carry another period than the default, and
// slot times never drift by rounding each period on its own.

#include <cmath>

constexpr int kDefaultFramePeriodMs = 150;

// Time from the start of the recording to the end of slotCount slots, to the nearest ms.
inline long long SlotsDurationMs(long long slotCount, double framePeriodMs = kDefaultFramePeriodMs)
{
    return std::llround(static_cast<double>(slotCount) * framePeriodMs);
}

// The period of a frame rate in frames per second.
inline double FramePeriodOfRate(double framesPerSecond)
{
    return 1000.0 / framesPerSecond;
}
