#include "app/application.h"

#include "app/dialogs.h"

DeckrecApplication::DeckrecApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
    setApplicationName("Deckrec");
    setApplicationDisplayName("Deckrec");
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

void ShowEscapedException(const char* text)
{
    Dialogs().message(nullptr, QString::fromLocal8Bit(text), QStringLiteral("Deckrec"), DialogService::Icon::Error);
}
