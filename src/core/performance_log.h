// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a show did when it was played live with sound: the slide actions the recorder
// dispatched and the moment the show ended, in ms from the start of the sound. The pictures are
// rendered afterwards on the show's own clock by playing the same actions at the same moments,
// so that they keep time with the sound that was heard.

#include <algorithm>
#include <cmath>
#include <vector>

// The one action the recorder dispatches: a click into the show, which moves it on by one step
// (the next build step, or the next slide when the slide has none left).
inline constexpr const char* kNextActionName = "next";

struct PerformedAction {
    long long ms = 0;
};

struct PerformanceLog {
    std::vector<PerformedAction> actions; // in the order dispatched, ms never decreasing
    long long endMs = -1;                 // -1 while the show still runs

    bool ended() const { return endMs >= 0; }
    bool empty() const { return actions.empty() && !ended(); }
};

// The slots a rendering of log takes: enough to cover its end (the sound's length), within a
// session's slot limit.
inline int SlotsToRender(const PerformanceLog& log, double framePeriodMs, int slotLimit)
{
    const auto count = static_cast<long long>(std::ceil(static_cast<double>(log.endMs) / framePeriodMs - 1e-9));
    return static_cast<int>(std::clamp(count, 1LL, static_cast<long long>(slotLimit - 1)));
}
