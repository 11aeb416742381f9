// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/real_services.h"

#include "platform/webengine/webengine_browser.h"
#include "platform/x11/x11_cursor_source.h"
#include "platform/x11/x11_screen_grabber.h"
#include "platform/x11/xtest_input_injector.h"

RecorderServices RealRecorderServices(const WorkingFiles& files, PresentationConverter* shows)
{
    RecorderServices services;
    services.grabber = std::make_unique<X11ScreenGrabber>();
    services.cursor = std::make_unique<X11CursorSource>();
    services.input = std::make_unique<XTestInputInjector>();
    services.clock = std::make_unique<EventLoopSlotClock>();
    const QString cache = QString::fromLocal8Bit(files.WorkingDirectory().c_str());
    services.makeBrowser = [cache, shows](QWidget* parent) -> BrowserControl* {
        return shows ? new WebEngineBrowser(parent, *shows) : new WebEngineBrowser(parent, cache);
    };
    return services;
}
