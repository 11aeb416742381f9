// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/x11/x11_connection.h"

#include <X11/Xlib.h>
#include <map>
#include <mutex>

namespace {

std::mutex g_mutex;
std::map<Display*, int> g_errors; // first error code per display of ours
XErrorHandler g_previousHandler = nullptr;
bool g_installed = false;

int TrapError(Display* display, XErrorEvent* event)
{
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        auto it = g_errors.find(display);
        if (it != g_errors.end()) {
            if (it->second == 0)
                it->second = event->error_code;
            return 0;
        }
    }
    // Not one of ours: leave it to whoever handled errors before.
    return g_previousHandler ? g_previousHandler(display, event) : 0;
}

} // namespace

X11Connection::~X11Connection()
{
    if (!display_)
        return;
    XCloseDisplay(display_);
    std::lock_guard<std::mutex> lock(g_mutex);
    g_errors.erase(display_);
}

Display* X11Connection::display()
{
    if (opened_)
        return display_;
    opened_ = true;
    display_ = XOpenDisplay(nullptr);
    if (!display_)
        return nullptr;
    std::lock_guard<std::mutex> lock(g_mutex);
    g_errors[display_] = 0;
    if (!g_installed) {
        g_previousHandler = XSetErrorHandler(TrapError);
        g_installed = true;
    }
    return display_;
}

int X11Connection::SyncAndTakeError()
{
    if (!display_)
        return 0;
    XSync(display_, False);
    std::lock_guard<std::mutex> lock(g_mutex);
    int& code = g_errors[display_];
    const int result = code;
    code = 0;
    return result;
}
