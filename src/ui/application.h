// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The application object. An exception that leaves an event handler ends that handler only:
// its text is shown in an error box and the program goes on.

#include "ui/qt_dialogs.h"

#include <QApplication>

class DeckrecApplication : public QApplication {
public:
    DeckrecApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    // The error box goes through dialogs (not owned); nullptr restores Qt's message box.
    void setDialogs(DialogService* dialogs) { dialogs_ = dialogs ? dialogs : &qtDialogs_; }
    DialogService& dialogs() const { return *dialogs_; }

    // Shows the text of an exception that escaped a handler, as the event loop does, above
    // whatever window is on screen.
    void ShowEscapedException(const char* text);
    // The window a message goes above: the visible window that stays on top (the Recorder),
    // else the active one; none when nothing is up.
    static QWidget* MessageParent();

private:
    QtDialogService qtDialogs_;
    DialogService* dialogs_ = &qtDialogs_;
};
