#include "record/fast_forward_clock.h"

FastForwardSlotClock::FastForwardSlotClock(SlotClock& real, uint32_t settleMs)
    : real_(real)
    , settleMs_(settleMs)
    , lastActivity_(real.TickCount())
{
}

uint32_t FastForwardSlotClock::TickCount()
{
    return real_.TickCount() + skipped_;
}

bool FastForwardSlotClock::Settled()
{
    return real_.TickCount() - lastActivity_ >= settleMs_;
}

void FastForwardSlotClock::WaitUntilElapsed(uint32_t t0, uint32_t elapsedMs)
{
    if (Settled()) {
        const uint32_t elapsed = TickCount() - t0;
        if (elapsed < elapsedMs)
            skipped_ += elapsedMs - elapsed;
        // The page still gets its events handled once per slot.
        real_.WaitUntilElapsed(real_.TickCount(), 0);
        return;
    }
    // t0 is in this clock's time, which runs skipped_ ahead of the real one.
    real_.WaitUntilElapsed(t0 - skipped_, elapsedMs);
}

void FastForwardSlotClock::SlotTaken(bool pictureChanged)
{
    if (pictureChanged)
        lastActivity_ = real_.TickCount();
}

void FastForwardSlotClock::ActionPerformed()
{
    lastActivity_ = real_.TickCount();
}
