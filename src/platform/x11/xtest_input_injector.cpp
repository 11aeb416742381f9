// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/x11/xtest_input_injector.h"

#include "platform/x11/x11_connection.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <thread>

namespace {
// A window manager drops a click whose steps reach it in one burst (the release together with
// the move back); pointer steps are kept this far apart, so that it sees them one by one.
constexpr auto kPointerStepSpacing = std::chrono::milliseconds(15);
} // namespace

struct XTestInputInjector::Impl {
    X11Connection connection;
    bool checked = false;
    bool available = false;

    Display* usable()
    {
        Display* dpy = connection.display();
        if (dpy && !checked) {
            checked = true;
            int eventBase, errorBase, major, minor;
            available = XTestQueryExtension(dpy, &eventBase, &errorBase, &major, &minor);
        }
        return dpy && available ? dpy : nullptr;
    }

    std::chrono::steady_clock::time_point lastPointerStep{};

    // Waits until the previous pointer step is far enough back; nothing waits after the last.
    void spacePointerStep()
    {
        std::this_thread::sleep_until(lastPointerStep + kPointerStepSpacing);
    }

    void settle(bool pointerStep)
    {
        connection.SyncAndTakeError();
        if (pointerStep)
            lastPointerStep = std::chrono::steady_clock::now();
    }
};

XTestInputInjector::XTestInputInjector()
    : d(std::make_unique<Impl>())
{
}

XTestInputInjector::~XTestInputInjector() = default;

QPoint XTestInputInjector::CursorPos()
{
    Display* dpy = d->connection.display();
    if (!dpy)
        return {};
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, winX = 0, winY = 0;
    unsigned mask = 0;
    XQueryPointer(dpy, DefaultRootWindow(dpy), &root, &child, &rootX, &rootY, &winX, &winY, &mask);
    return {rootX, rootY};
}

void XTestInputInjector::SetCursorPos(const QPoint& point)
{
    Display* dpy = d->usable();
    if (!dpy)
        return;
    d->spacePointerStep();
    XTestFakeMotionEvent(dpy, DefaultScreen(dpy), point.x(), point.y(), CurrentTime);
    d->settle(true);
}

void XTestInputInjector::KeyEvent(Key key, bool pressed)
{
    Display* dpy = d->usable();
    if (!dpy)
        return;
    const KeyCode code = XKeysymToKeycode(dpy, key == Key::Alt ? XK_Alt_L : XK_o);
    if (code == 0)
        return;
    XTestFakeKeyEvent(dpy, code, pressed ? True : False, CurrentTime);
    d->settle(false);
}

void XTestInputInjector::LeftButton(bool pressed)
{
    Display* dpy = d->usable();
    if (!dpy)
        return;
    d->spacePointerStep();
    XTestFakeButtonEvent(dpy, 1, pressed ? True : False, CurrentTime);
    d->settle(true);
}
