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

// A period as the fraction numerator / denominator ms, reduced: a whole number of ms has
// denominator 1 (150 ms is 150/1), a rate of whole thousandths of a frame a second is exact
// (30 frames a second is 100/3 ms). Encoders and containers take their time bases from it.
struct PeriodFraction {
    long long numerator = kDefaultFramePeriodMs;
    long long denominator = 1;
};
PeriodFraction PeriodAsFraction(double framePeriodMs);

// The period of a frame rate in frames per second.
inline double FramePeriodOfRate(double framesPerSecond)
{
    return 1000.0 / framesPerSecond;
}

// The slots of about one second: how often a video gets a key frame, so that a player seeks to
// within a second at any frame rate.
inline int SlotsOfASecond(double framePeriodMs)
{
    // Halves to even, as the AVI header has always counted them.
    const double count = std::nearbyint(1000.0 / framePeriodMs);
    return count < 1 ? 1 : static_cast<int>(count);
}

// A recording holds at most this many slots unless it was made to record for longer.
constexpr int kDefaultMostSlots = 9999;
// However long a recording was made to last, it ends within a day.
constexpr long long kLongestRecordingMs = 24LL * 60 * 60 * 1000;

// The most slots a recording can hold at its frame period: the default, or a day of slots for
// one made to last longer. A count beyond it is no recording's, and reading that many slots
// would keep an export busy for hours.
inline long long MostSlotsARecordingCanHold(double framePeriodMs = kDefaultFramePeriodMs)
{
    const long long day = static_cast<long long>(static_cast<double>(kLongestRecordingMs) / (framePeriodMs >= 1 ? framePeriodMs : 1));
    return day > kDefaultMostSlots ? day : kDefaultMostSlots;
}
