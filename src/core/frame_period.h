#pragma once
// The frame period: a recording is a row of slots, one every framePeriodMs. Every rule that
// turns slots into time (the session's waits, the statistics, the exporters' frame times and
// the durations printed) goes through these helpers, so that a recording may carry another
// period than the default.

constexpr int kDefaultFramePeriodMs = 150;

// Time from the start of the recording to the end of its first slotCount slots. (Not named
// "slots": Qt defines that word away in every file that includes its headers.)
constexpr long long SlotsDurationMs(long long slotCount, int framePeriodMs = kDefaultFramePeriodMs)
{
    return slotCount * framePeriodMs;
}

// The slot that holds the moment ms (1-based): slot 1 covers [0, period).
constexpr long long SlotAtMs(long long ms, int framePeriodMs = kDefaultFramePeriodMs)
{
    return ms / framePeriodMs + 1;
}
