#pragma once
// The browser control on Qt WebEngine. The page reports its own navigations; a frame tells the
// page with postMessage, and the page passes that on through a web channel, which only the
// main frame can reach.

#include "platform/browser_control.h"

#include <QPointer>
#include <QUrl>
#include <QWebEngineView>

class QWebEngineProfile;

class WebEngineBrowser : public BrowserControl {
    Q_OBJECT
public:
    // Slide shows converted for the viewer are cached in workingDirectory.
    WebEngineBrowser(QWidget* parent, const QString& workingDirectory);
    ~WebEngineBrowser() override;

    QWidget* widget() override;
    void Navigate(const QString& target) override;
    void FocusPresentation() override;

    // Called from the page for each navigation of one of its frames.
    Q_INVOKABLE void frameNavigated(const QString& url);

private:
    void pageLoaded();
    void urlChanged(const QUrl& url);
    void reportPage(const QUrl& url);

    QWebEngineProfile* profile_;
    QPointer<QWebEngineView> view_;
    QUrl reportedUrl_; // of the page itself; frames report on their own
};
