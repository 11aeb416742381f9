// The fast clock skips only idle waits: slot times stay aligned, so actions fall on the same
// slots as in real time, and every change or action brings real waits back until it settles.
#include "record/fast_forward_clock.h"

#include <gtest/gtest.h>

namespace {

// Real time that passes only when waited for.
class ManualClock : public SlotClock {
public:
    uint32_t TickCount() override { return now; }
    void WaitUntilElapsed(uint32_t t0, uint32_t elapsedMs) override
    {
        if (now - t0 < elapsedMs)
            now = t0 + elapsedMs;
    }
    uint32_t now = 1000;
};

// Runs slots like the capture loop: each takes grabMs of real time, then waits for the next.
struct Loop {
    ManualClock real;
    FastForwardSlotClock clock{real, 300};
    uint32_t t0 = clock.TickCount();
    int slot = 1;

    void Slot(bool changed, uint32_t grabMs = 5)
    {
        real.now += grabMs;
        clock.SlotTaken(changed);
        ++slot;
        clock.WaitUntilElapsed(t0, static_cast<uint32_t>(slot) * 150);
    }
    uint32_t Elapsed() { return clock.TickCount() - t0; }
};

} // namespace

TEST(FastForwardClock, SkipsIdleSlotsKeepingTheirTimesAndWaitsAgainAfterAChangeOrAction)
{
    Loop loop;
    // A change: the wait for the next slot is real.
    loop.Slot(true);
    EXPECT_EQ(loop.real.now - 1000, 300u);

    // Settled once 300 ms pass without a change: waits are skipped, yet the clock shows every
    // slot's own time, so a latency-based action comes at the same slot as in real time.
    for (int k = 0; k < 30; ++k)
        loop.Slot(false);
    EXPECT_LE(loop.real.now - 1000, 300u + 150u + 30u * 5);
    EXPECT_EQ(loop.Elapsed(), static_cast<uint32_t>(loop.slot) * 150);
    EXPECT_GT(loop.clock.skippedMs(), 3000u);

    // An action: the next waits are real again, until the picture settles.
    loop.clock.ActionPerformed();
    const uint32_t afterAction = loop.real.now;
    loop.Slot(false);
    EXPECT_EQ(loop.real.now - afterAction, 150u);
    EXPECT_EQ(loop.Elapsed(), static_cast<uint32_t>(loop.slot) * 150);
}

TEST(FastForwardClock, AChangingPictureIsRecordedInRealTime)
{
    Loop loop;
    for (int k = 0; k < 20; ++k)
        loop.Slot(true);
    EXPECT_EQ(loop.clock.skippedMs(), 0u);
    EXPECT_EQ(loop.real.now - 1000, static_cast<uint32_t>(loop.slot) * 150);
}
