// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The frame clock of a recording on the show's own time: a wait for the next slot moves the
// show on by exactly the time to that slot and returns once it is painted, however long that
// takes. Its ticks are the show's milliseconds since the session began, so slide actions fall
// on exact slot times.

#include "platform/show_renderer.h"
#include "platform/slot_clock.h"

class ShowTimeClock : public SlotClock {
public:
    // renderer is not owned and outlives the clock.
    explicit ShowTimeClock(ShowRenderer& renderer) : renderer_(renderer) {}

    uint32_t TickCount() override { return now_; }
    void WaitUntilElapsed(uint32_t t0, uint32_t elapsedMs) override;

private:
    ShowRenderer& renderer_;
    uint32_t now_ = 0;
};
