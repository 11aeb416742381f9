#pragma once
// A frame clock for recordings without sound that need not take as long as the show: while the
// picture stands still and no slide action has just been made, the wait for the next slot is
// skipped and the clock jumps ahead by what it skipped. Slots keep their numbers and actions
// come at the same slot as in real time; only the idle stretches between them pass at once.
// Changes on screen (a transition, an animation) are recorded in real time, since every change
// and every action brings the clock back to real time until the picture has settled again.

#include "platform/slot_clock.h"

class FastForwardSlotClock : public SlotClock {
public:
    // real (not owned) gives the time and the waits; settleMs of real time without a change
    // or action must pass before waits are skipped.
    explicit FastForwardSlotClock(SlotClock& real, uint32_t settleMs = 300);

    uint32_t TickCount() override;
    void WaitUntilElapsed(uint32_t t0, uint32_t elapsedMs) override;
    void SlotTaken(bool pictureChanged) override;
    void ActionPerformed() override;

    // Milliseconds skipped so far.
    uint32_t skippedMs() const { return skipped_; }

private:
    bool Settled();

    SlotClock& real_;
    uint32_t settleMs_;
    uint32_t skipped_ = 0;
    uint32_t lastActivity_; // real time of the last change or action
};
