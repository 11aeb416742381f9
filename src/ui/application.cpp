#include "ui/application.h"

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

void DeckrecApplication::ShowEscapedException(const char* text)
{
    dialogs_->message(nullptr, QString::fromLocal8Bit(text), QStringLiteral("Deckrec"), DialogService::Icon::Error);
}
