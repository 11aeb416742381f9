// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The show clock that a recording on the recorder's own time installs into every frame of the
// page before any of the page's scripts run: Date, performance.now, the timers and animation
// frames follow a virtual time that the recorder moves on, so that each slot shows exactly the
// moment it stands for, however long the machine takes to draw it.

#include <QByteArray>

// The show with the clock as its first script: a script injected into a frame of another
// origin may come too late for the show's own, so the show served to a page on the show clock
// carries it itself (installing it twice does nothing).
QByteArray WithShowClock(const QByteArray& show);
