#pragma once
// The browser page the shows are played in: a page that opens no dialog. The show's engine
// reports a failed check of its own with alert() before it stops; a modal box over the recorder
// would hold the recording for good (on the show's clock the session waits inside a step for the
// answer). The message goes to the log instead, and the stopped show ends as any show that no
// longer moves on.

#include <QWebEnginePage>

class PageWithoutDialogs : public QWebEnginePage {
public:
    using QWebEnginePage::QWebEnginePage;

protected:
    void javaScriptAlert(const QUrl&, const QString& message) override
    {
        qWarning("the slide show said: %s", qPrintable(QString(message).replace(QLatin1Char('\n'), QLatin1Char(' '))));
    }
    bool javaScriptConfirm(const QUrl& origin, const QString& message) override
    {
        javaScriptAlert(origin, message);
        return false;
    }
    bool javaScriptPrompt(const QUrl& origin, const QString& message, const QString&, QString*) override
    {
        javaScriptAlert(origin, message);
        return false;
    }
};
