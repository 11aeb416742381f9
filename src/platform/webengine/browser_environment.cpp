// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/webengine/browser_environment.h"

#include "platform/webengine/presentation_scheme.h"

#include <QByteArray>
#include <QtGlobal>
#include <unistd.h>

namespace {
void SetIfUnset(const char* name, const QByteArray& value)
{
    if (!qEnvironmentVariableIsSet(name))
        qputenv(name, value);
}
} // namespace

void PrepareBrowserEnvironment()
{
    // The browser's sandbox refuses to run as root.
    if (geteuid() == 0)
        SetIfUnset("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // The GPU path draws a black view on 16-bit screens and fails under a virtual X server.
    SetIfUnset("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --disable-dev-shm-usage");
    SetIfUnset("QT_QUICK_BACKEND", "software");
    // The program grabs the screen over X11; under Wayland it runs through XWayland. A Wayland
    // session without XWayland has no X server to open: the windows run on Wayland itself,
    // where they record on the show's own clock.
    const bool onlyWayland = qEnvironmentVariableIsEmpty("DISPLAY") && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    SetIfUnset("QT_QPA_PLATFORM", onlyWayland ? "wayland" : "xcb");
    // The windows are laid out in screen pixels, and the capture area is measured in them.
    SetIfUnset("QT_ENABLE_HIGHDPI_SCALING", "0");
    RegisterPresentationScheme();
}
