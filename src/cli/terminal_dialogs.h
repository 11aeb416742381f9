#pragma once
// The dialogs of a command-line run: nobody is there to answer, so a message becomes an error
// line on the terminal (and fails the run), a question is answered No and a file dialog is
// cancelled.

#include "cli/terminal.h"
#include "ui/dialogs.h"

class TerminalDialogs : public DialogService {
public:
    explicit TerminalDialogs(Terminal& terminal) : terminal_(terminal) {}

    QString openFileName(QWidget*, const QString&, const QString&) override { return {}; }
    QString saveFileName(QWidget*, const QString&, const QString&) override { return {}; }
    void message(QWidget*, const QString& text, const QString&, Icon icon) override
    {
        terminal_.Error(text.toStdString());
        if (icon == Icon::Error || icon == Icon::Warning)
            failed_ = true;
    }
    bool confirm(QWidget*, const QString&, const QString&) override { return false; }

    // An error was shown.
    bool failed() const { return failed_; }

private:
    Terminal& terminal_;
    bool failed_ = false;
};
