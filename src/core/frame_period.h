#pragma once
// The frame period: a recording is a row of slots, one every framePeriodMs. Every rule that
// turns slots into time (the session's waits, the statistics, the exporters' frame times and
// the durations printed) goes through these helpers, so that a recording may carry another
// period than the default.

constexpr int kDefaultFramePeriodMs = 150;

// Time from the start of the recording to the end of `slots` slots.
constexpr long long SlotsDurationMs(long long slots, int framePeriodMs = kDefaultFramePeriodMs)
{
    return slots * framePeriodMs;
}

// The slot that holds the moment ms (1-based): slot 1 covers [0, period).
constexpr long long SlotAtMs(long long ms, int framePeriodMs = kDefaultFramePeriodMs)
{
    return ms / framePeriodMs + 1;
}

// A recording holds at most this many slots unless it was made to record for longer.
constexpr int kDefaultMostSlots = 9999;
// However long a recording was made to last, it ends within a day.
constexpr long long kLongestRecordingMs = 24LL * 60 * 60 * 1000;

// The most slots a recording can hold at its frame period: the default, or a day of slots for
// one made to last longer. A count beyond it is no recording's, and reading that many slots
// would keep an export busy for hours.
constexpr long long MostSlotsARecordingCanHold(int framePeriodMs = kDefaultFramePeriodMs)
{
    const long long day = kLongestRecordingMs / (framePeriodMs > 0 ? framePeriodMs : 1);
    return day > kDefaultMostSlots ? day : kDefaultMostSlots;
}
