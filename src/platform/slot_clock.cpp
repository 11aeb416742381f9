// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/slot_clock.h"

#include "core/monotonic_clock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

uint32_t EventLoopSlotClock::TickCount()
{
    return MonotonicTickMs();
}

void EventLoopSlotClock::WaitUntilElapsed(uint32_t t0, uint32_t elapsedMs)
{
    // Queued input is handled even when the slot is already late.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    for (;;) {
        const uint32_t elapsed = TickCount() - t0;
        if (elapsed >= elapsedMs)
            return;
        QEventLoop loop;
        QTimer deadline;
        deadline.setSingleShot(true);
        deadline.setTimerType(Qt::PreciseTimer);
        QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
        deadline.start(static_cast<int>(elapsedMs - elapsed));
        loop.exec();
    }
}
