#pragma once
// The application object. An exception that leaves an event handler ends that handler only:
// its text is shown in an error box and the program goes on.

#include <QApplication>

class DeckrecApplication : public QApplication {
public:
    DeckrecApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Shows the text of an exception that escaped a handler, as the event loop does.
void ShowEscapedException(const char* text);
