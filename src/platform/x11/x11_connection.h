// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One Xlib connection of our own, opened on first use, with X errors trapped instead of
// ending the process (Xlib's default handler exits on a BadMatch from a grab off the screen).

typedef struct _XDisplay Display;

class X11Connection {
public:
    X11Connection() = default;
    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    // The display named by DISPLAY; nullptr when there is none (then every service is a no-op).
    Display* display();

    // Waits for the server to handle every request sent so far and returns the code of the
    // first X error they caused since the last call (0 when none).
    int SyncAndTakeError();

private:
    Display* display_ = nullptr;
    bool opened_ = false;
};
