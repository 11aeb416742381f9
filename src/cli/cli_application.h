// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The application object of a conversion: an exception that leaves an event handler ends that
// handler only; its text goes to the terminal and fails the run, since nobody is there to read
// an error box.

#include "cli/terminal.h"

#include <QApplication>

class CliApplication : public QApplication {
public:
    CliApplication(int& argc, char** argv, Terminal& terminal);
    bool notify(QObject* receiver, QEvent* event) override;

    // An error escaped a handler during the run.
    bool failed() const { return failed_; }

private:
    void Report(const char* text);

    Terminal& terminal_;
    bool failed_ = false;
};
