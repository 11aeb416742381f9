// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Runs the event loop until done() or the time limit, so that a test waits for the browser,
// LibreOffice or the Recorder without spinning; false on timeout.

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <functional>

inline bool WaitFor(const std::function<bool()>& done, int limitMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > limitMs)
            return false;
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}
