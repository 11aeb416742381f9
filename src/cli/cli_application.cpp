// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli_application.h"

CliApplication::CliApplication(int& argc, char** argv, Terminal& terminal)
    : QApplication(argc, argv)
    , terminal_(terminal)
{
    setApplicationName("Deckrec");
}

bool CliApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        Report(e.what());
    } catch (...) {
        Report("Unknown error");
    }
    return true;
}

void CliApplication::Report(const char* text)
{
    terminal_.Error(text);
    failed_ = true;
}
