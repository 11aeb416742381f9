#pragma once
// The show clock that a recording on the recorder's own time installs into every frame of the
// page before any of the page's scripts run: Date, performance.now, the timers and animation
// frames follow a virtual time that the recorder moves on, so that each slot shows exactly the
// moment it stands for, however long the machine takes to draw it.

// JavaScript for QWebEngineScript (DocumentCreation, every frame, main world).
extern const char kShowClockScript[];
