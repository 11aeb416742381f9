// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/real_services.h"

#include "platform/fonts/font_resolver.h"
#include "platform/no_screen_capture.h"
#include "platform/webengine/webengine_browser.h"
#include "platform/x11/x11_cursor_source.h"
#include "platform/x11/x11_screen_grabber.h"
#include "platform/x11/xtest_input_injector.h"
#include "show/presentation_converter.h"
#include "show/show_cache.h"
#include "ui/widget_input_injector.h"

#include <QGuiApplication>

RecorderServices RealRecorderServices(const WorkingFiles& files, PresentationConverter* shows)
{
    RecorderServices services;
    // Only an X display is asked for its screen: under Wayland an X connection reaches
    // XWayland at best, whose screen does not show the program's own windows.
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        services.grabber = std::make_unique<X11ScreenGrabber>();
        services.cursor = std::make_unique<X11CursorSource>();
        services.input = std::make_unique<XTestInputInjector>();
    } else {
        services.grabber = std::make_unique<NoScreenGrabber>();
        services.cursor = std::make_unique<NoCursorSource>();
        services.input = std::make_unique<WidgetInputInjector>();
    }
    services.clock = std::make_unique<EventLoopSlotClock>();
    const QString cache = QString::fromLocal8Bit(files.WorkingDirectory().c_str()) + QStringLiteral("shows/");
    services.makeBrowser = [cache, shows](QWidget* parent) -> BrowserControl* {
        if (shows)
            return new WebEngineBrowser(parent, *shows);
        // A recorder without the program's converter (one on its own, in a test) has one of
        // its own, which goes with its browser.
        auto* own = new PresentationConverter(cache, ShowCache::DefaultLimitBytes(), FontResolver::Shared());
        auto* browser = new WebEngineBrowser(parent, *own);
        own->setParent(browser);
        return browser;
    };
    return services;
}
