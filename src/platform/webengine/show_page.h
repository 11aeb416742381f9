#pragma once
// The page the recorder's browser shows. A page's script never waits on a person: an alert,
// confirm or prompt of the slide show (its engine alerts when one of its own checks fails, and
// then stops taking clicks and keys) would open a modal box that nobody answers, and the page
// would stand still for good. Such a message is written to stderr and kept, so that a show
// that stops can say why.

#include <QString>
#include <QWebEnginePage>

class ShowPage : public QWebEnginePage {
    Q_OBJECT
public:
    ShowPage(QWebEngineProfile* profile, QObject* parent);

    // The last message a script of the page alerted, confirmed or prompted; empty when none.
    const QString& lastDialogMessage() const { return lastDialogMessage_; }
    // The last error a script of the page reported to its console; empty when none.
    const QString& lastScriptError() const { return lastScriptError_; }
    void forgetMessages();

protected:
    void javaScriptAlert(const QUrl& securityOrigin, const QString& message) override;
    bool javaScriptConfirm(const QUrl& securityOrigin, const QString& message) override;
    bool javaScriptPrompt(const QUrl& securityOrigin, const QString& message, const QString& defaultValue,
                          QString* result) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int line,
                                  const QString& source) override;

private:
    void noteDialog(const QString& message);

    QString lastDialogMessage_;
    QString lastScriptError_;
};
