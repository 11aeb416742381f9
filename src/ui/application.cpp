// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/application.h"

#include <QWidget>

DeckrecApplication::DeckrecApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
    // The display name follows from the application name. Setting it explicitly would make
    // Qt append " — Deckrec" to every window title on X11, so the caption would no longer
    // read exactly "Deckrec 1.0".
    setApplicationName("Deckrec");
}

bool DeckrecApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ShowEscapedException(e.what());
    } catch (...) {
        ShowEscapedException("Unknown error");
    }
    return true;
}

QWidget* DeckrecApplication::MessageParent()
{
    // A window that stays on top (the Recorder) would cover a box parented elsewhere.
    for (QWidget* window : topLevelWidgets())
        if (window->isVisible() && window->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
            return window;
    return activeWindow();
}

void DeckrecApplication::ShowEscapedException(const char* text)
{
    dialogs_->message(MessageParent(), QString::fromLocal8Bit(text), QStringLiteral("Deckrec"), DialogService::Icon::Error);
}
