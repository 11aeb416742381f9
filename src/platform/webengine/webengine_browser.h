// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The browser control on Qt WebEngine. The page reports its own navigations; a frame tells the
// page with postMessage, and the page passes that on through a web channel, which only the
// main frame can reach. The presentation viewer's frame reports its show's state the same way.

#include "platform/browser_control.h"
#include "platform/screen_grabber.h"

#include <QPointer>
#include <QUrl>
#include <QWebEngineView>
#include <memory>

class ShowSource;
class ShowPage;
class WebEngineShowRenderer;
class QWebEngineLoadingInfo;
class QWebEngineProfile;

class WebEngineBrowser : public BrowserControl {
    Q_OBJECT
public:
    // Slide shows come from shows (not owned, outlives the browser), which the program
    // shares with the Main window's Browse.
    WebEngineBrowser(QWidget* parent, ShowSource& shows);
    void UseShowClock(bool on) override;
    ShowRenderer* showRenderer() override;
    // Runs script in the page's main frame, without waiting for it.
    void RunScript(const QString& script);
    ~WebEngineBrowser() override;

    QWidget* widget() override;
    void Navigate(const QString& target) override;
    void FocusPresentation() override;
    PageState State() const override;
    ShownSlide CurrentSlide() const override { return currentSlide_; }
    ScreenRect SlideArea() const override { return slideArea_; }
    // Why the page shows no slide yet, as far as the browser can tell: for a show that does
    // not start.
    std::string WhyNoSlide() const;
    int SelfAdvanceMs() const override { return advanceMs_; }
    void SetDeckTimings(bool keep) override;

    // Called from the page for each navigation of one of its frames.
    Q_INVOKABLE void frameNavigated(const QString& url);
    // Called from the page when the presentation viewer reports: "slide", "end" or "cannot-show".
    Q_INVOKABLE void showStateChanged(const QString& state);
    // Called from the page when a step of the show clock is done and painted: how many
    // callbacks ran, ms until the next one is due (-1: none), whether the show is at its end.
    Q_INVOKABLE void showAdvanced(int step, int ran, double due, bool ended);
    // Called from the page when the viewer shows a slide, and when the show sets itself a time
    // to move on (pending) or drops it.
    Q_INVOKABLE void slideShown(int number, const QString& title);
    Q_INVOKABLE void advancingChanged(bool pending, int afterMs);
    Q_INVOKABLE void slideAreaChanged(int left, int top, int right, int bottom);

signals:
    void ShowStepDone(int step, int ran, int due, bool ended);

private:
    void pageLoaded();
    void loadingChanged(const QWebEngineLoadingInfo& load);
    void urlChanged(const QUrl& url);
    void reportPage(const QUrl& url);
    void setState(PageState state);

    QWebEngineProfile* profile_;
    QPointer<QWebEngineView> view_;
    QUrl reportedUrl_; // of the page itself; frames report on their own
    QUrl requestedUrl_;
    int navigation_ = 0; // counts Navigate calls, so that a late answer about an old page is dropped
    PageState state_ = PageState::Loading;
    std::unique_ptr<WebEngineShowRenderer> renderer_; // while the show clock is on
    ShowPage* page_ = nullptr; // owned by the view
    ShownSlide currentSlide_;
    ScreenRect slideArea_;
    bool pageLoaded_ = false;   // the page asked for last has loaded
    bool showReported_ = false; // the slide show's viewer script has run in it
    int advanceMs_ = -1;
};
