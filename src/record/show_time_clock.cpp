// SPDX-License-Identifier: GPL-3.0-or-later
#include "record/show_time_clock.h"

void ShowTimeClock::WaitUntilElapsed(uint32_t t0, uint32_t elapsedMs)
{
    const uint32_t elapsed = now_ - t0;
    const uint32_t step = elapsed < elapsedMs ? elapsedMs - elapsed : 0;
    now_ += step;
    // Also a step of nothing gives the page (and the window's buttons) their turn.
    renderer_.Advance(static_cast<int>(step));
}
