#pragma once
// The millisecond tick of the frame clock and the wait between frame slots.

#include <cstdint>

class SlotClock {
public:
    virtual ~SlotClock() = default;
    // Milliseconds, wrapping at 2^32; only differences are meaningful.
    virtual uint32_t TickCount() = 0;
    // Handles the window messages (at least once) until TickCount() - t0, as an unsigned
    // 32-bit difference, reaches elapsedMs. Handlers run nested inside this call.
    virtual void WaitUntilElapsed(uint32_t t0, uint32_t elapsedMs) = 0;
};

// The monotonic tick; waits in a Qt event loop that a timer ends at the deadline, so no core
// is spun while waiting.
class EventLoopSlotClock : public SlotClock {
public:
    uint32_t TickCount() override;
    void WaitUntilElapsed(uint32_t t0, uint32_t elapsedMs) override;
};
