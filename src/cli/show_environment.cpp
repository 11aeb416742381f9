// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/show_environment.h"

#include "cli/display_lock.h"
#include "cli/private_display.h"
#include "cli/private_sound_server.h"
#include "cli/scoped_folder.h"
#include "cli/show_window.h"
#include "cli/terminal.h"
#include "platform/interruption.h"
#include "platform/webengine/browser_environment.h"

#include <QLoggingCategory>
#include <algorithm>
#include <cstdlib>

namespace {

bool NoDesktopDisplay()
{
    const char* display = std::getenv("DISPLAY");
    return !display || !*display;
}

} // namespace

ShowEnvironment::ShowEnvironment(const CommandLine& command, const std::string& scratchFolder, char* programPath,
                                 Terminal& terminal)
{
    if (command.headless || NoDesktopDisplay()) {
        StartPrivateServers(command, scratchFolder);
    } else {
        lock_ = std::make_unique<DisplayLock>(
            std::getenv("DISPLAY"),
            [&] { terminal.Status(std::string("Waiting for another conversion on display ") + std::getenv("DISPLAY") +
                                  " to finish..."); },
            Interrupted);
        if (!lock_->held())
            return;
    }
    // The capture reads the X screen, whatever session the desktop runs.
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    // The terminal is for the run's own progress: the browser engine's start-up report and
    // the toolkit's note on a missing runtime folder say nothing a user can act on.
    setenv("XDG_RUNTIME_DIR", scratchFolder.c_str(), 0);

    PrepareBrowserEnvironment();
    argv_[0] = programPath;
    app_ = std::make_unique<CliApplication>(argc_, argv_, terminal);
    app_->setQuitOnLastWindowClosed(false);
    // The browser engine's start-up report (its settings, the sandbox) says nothing a user
    // can act on; warnings and errors still show, and QT_LOGGING_RULES still counts.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false\ndefault.info=false"));
}

ShowEnvironment::~ShowEnvironment() = default;

void ShowEnvironment::StartPrivateServers(const CommandLine& command, const std::string& logFolder)
{
    // A screen grab needs the whole window on the screen; the view's own rendering does not.
    const QSize window = RecordsOnShowTime(command) ? QSize() : ShowWindow::ScreenSizeFor(command.capture);
    display_ = std::make_unique<PrivateDisplay>(std::max(1024, window.width()), std::max(768, window.height()),
                                                logFolder + "display.log");
    setenv("DISPLAY", display_->name().c_str(), 1);
    unsetenv("WAYLAND_DISPLAY");
    if (!command.audio)
        return;
    // A socket path must stay short: the server's folder lives in /tmp, not in the cache.
    soundFolder_ = std::make_unique<ScopedWorkingFolder>("sound");
    sound_ = std::make_unique<PrivateSoundServer>(soundFolder_->path(), logFolder + "sound.log");
    setenv("PULSE_SERVER", sound_->address().c_str(), 1);
}
