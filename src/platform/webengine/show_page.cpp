#include "platform/webengine/show_page.h"

#include <cstdio>

ShowPage::ShowPage(QWebEngineProfile* profile, QObject* parent)
    : QWebEnginePage(profile, parent)
{
}

void ShowPage::forgetMessages()
{
    lastDialogMessage_.clear();
    lastScriptError_.clear();
}

void ShowPage::noteDialog(const QString& message)
{
    lastDialogMessage_ = message.simplified();
    std::fprintf(stderr, "deckrec: warning: the slide show says: %s\n", lastDialogMessage_.toLocal8Bit().constData());
}

void ShowPage::javaScriptAlert(const QUrl&, const QString& message)
{
    noteDialog(message);
}

bool ShowPage::javaScriptConfirm(const QUrl&, const QString& message)
{
    noteDialog(message);
    return false;
}

bool ShowPage::javaScriptPrompt(const QUrl&, const QString& message, const QString&, QString*)
{
    noteDialog(message);
    return false;
}

void ShowPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int line,
                                        const QString& source)
{
    if (level == ErrorMessageLevel)
        lastScriptError_ = message.simplified();
    // The messages are written as before.
    QWebEnginePage::javaScriptConsoleMessage(level, message, line, source);
}
