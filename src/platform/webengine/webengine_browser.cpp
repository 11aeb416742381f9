// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/webengine/webengine_browser.h"

#include "platform/page_scripts.h"
#include "platform/remote_content.h"
#include "platform/webengine/local_requests.h"
#include "platform/webengine/presentation_scheme.h"
#include "platform/webengine/show_page.h"
#include "platform/webengine/webengine_show_renderer.h"

#include <QFile>
#include <QWebChannel>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <algorithm>

namespace {

QString ChannelScriptSource()
{
    QFile library(QStringLiteral(":/qtwebchannel/qwebchannel.js"));
    if (!library.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(library.readAll() + PageScript(QStringLiteral("frame_relay")));
}

} // namespace

WebEngineBrowser::WebEngineBrowser(QWidget* parent, ShowSource& shows)
    : BrowserControl(parent)
{
    RegisterPresentationScheme();
    // Off the record: nothing of the shown pages is kept on disk.
    profile_ = new QWebEngineProfile(this);
    profile_->installUrlSchemeHandler(kPresentationScheme, new PresentationSchemeHandler(shows, profile_));
    // What a show names on the network is not loaded unless remote content is allowed.
    profile_->setUrlRequestInterceptor(new LocalRequestsOnly(profile_));

    view_ = new QWebEngineView(parent);
    page_ = new ShowPage(profile_, view_);
    QWebEnginePage* page = page_;
    view_->setPage(page);
    // A right click would step the show back and open a menu over the slide.
    view_->setContextMenuPolicy(Qt::NoContextMenu);
    page->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    page->settings()->setAttribute(QWebEngineSettings::ShowScrollBars, false);
    page->setBackgroundColor(Qt::black);

    auto* channel = new QWebChannel(page);
    channel->registerObject(QStringLiteral("deckrecBrowser"), this);
    page->setWebChannel(channel);
    QWebEngineScript relay;
    relay.setName(QStringLiteral("deckrec-frame-relay"));
    relay.setSourceCode(ChannelScriptSource());
    relay.setInjectionPoint(QWebEngineScript::DocumentCreation);
    relay.setWorldId(QWebEngineScript::MainWorld);
    relay.setRunsOnSubFrames(false);
    page->scripts().insert(relay);

    connect(page, &QWebEnginePage::loadFinished, this, &WebEngineBrowser::pageLoaded);
    connect(page, &QWebEnginePage::loadingChanged, this, &WebEngineBrowser::loadingChanged);
    connect(page, &QWebEnginePage::urlChanged, this, &WebEngineBrowser::urlChanged);
}

WebEngineBrowser::~WebEngineBrowser()
{
    renderer_.reset();
    // The page must go before its profile.
    delete view_;
}

QWidget* WebEngineBrowser::widget()
{
    return view_;
}

void WebEngineBrowser::Navigate(const QString& target)
{
    if (!view_)
        return;
    const QUrl url = target.startsWith(QStringLiteral("about:")) ? QUrl(target) : QUrl::fromLocalFile(target);
    ++navigation_;
    requestedUrl_ = url;
    currentSlide_ = {};
    slideArea_ = {};
    pageLoaded_ = false;
    showReported_ = false;
    page_->forgetMessages();
    page_->setOpened(url);
    // The page and the show are local: they reach the network only when the deck may.
    page_->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, RemoteContentAllowed());
    advanceMs_ = -1;
    setState(PageState::Loading);
    view_->setUrl(url);
}

PageState WebEngineBrowser::State() const
{
    return state_;
}

void WebEngineBrowser::setState(PageState state)
{
    if (state == state_)
        return;
    state_ = state;
    emit StateChanged(state);
}

void WebEngineBrowser::showStateChanged(const QString& state)
{
    // A report of a viewer that is on its way out.
    if (requestedUrl_.scheme() == QLatin1String("about"))
        return;
    if (state == QLatin1String("slide"))
        setState(PageState::Slide);
    else if (state == QLatin1String("end"))
        setState(PageState::EndScreen);
    else if (state == QLatin1String("cannot-show"))
        setState(PageState::CannotShow);
}

std::string WebEngineBrowser::WhyNoSlide() const
{
    QString why;
    if (!pageLoaded_)
        why = QStringLiteral("its page did not finish loading");
    else if (!showReported_)
        why = QStringLiteral("the page loaded, but LibreOffice's slide show in it never ran");
    else if (!page_->lastScriptError().isEmpty())
        why = QStringLiteral("the slide show's script failed: ") + page_->lastScriptError();
    else
        why = QStringLiteral("the slide show ran, but never reported its first slide on screen");
    if (!page_->lastDialogMessage().isEmpty())
        why += QStringLiteral(" (it said: ") + page_->lastDialogMessage() + QLatin1Char(')');
    return why.toStdString();
}

void WebEngineBrowser::FocusPresentation()
{
    if (!view_)
        return;
    view_->setFocus(Qt::OtherFocusReason);
    view_->page()->runJavaScript(QStringLiteral("window.deckrecFocusPresentation && deckrecFocusPresentation();"));
}

void WebEngineBrowser::UseShowClock(bool on)
{
    if (!view_ || on == (renderer_ != nullptr))
        return;
    QWebEngineScriptCollection& scripts = view_->page()->scripts();
    if (!on) {
        for (const QWebEngineScript& script : scripts.find(QStringLiteral("deckrec-show-clock")))
            scripts.remove(script);
        renderer_.reset();
        return;
    }
    renderer_ = std::make_unique<WebEngineShowRenderer>(*this);
    QWebEngineScript clock;
    clock.setName(QStringLiteral("deckrec-show-clock"));
    clock.setSourceCode(QString::fromUtf8(PageScript(QStringLiteral("show_clock"))));
    clock.setInjectionPoint(QWebEngineScript::DocumentCreation);
    clock.setWorldId(QWebEngineScript::MainWorld);
    clock.setRunsOnSubFrames(true);
    scripts.insert(clock);
}

ShowRenderer* WebEngineBrowser::showRenderer()
{
    return renderer_.get();
}

void WebEngineBrowser::SetDeckTimings(bool keep)
{
    if (!view_)
        return;
    const QString name = QStringLiteral("deckrec-latency-only");
    for (const QWebEngineScript& script : view_->page()->scripts().find(name))
        view_->page()->scripts().remove(script);
    if (keep)
        return;
    // In every frame before the show's own script runs: the viewer reads it when the deck
    // would set its timer.
    QWebEngineScript latencyOnly;
    latencyOnly.setName(name);
    latencyOnly.setSourceCode(QStringLiteral("window.deckrecDeckTimings = false;"));
    latencyOnly.setInjectionPoint(QWebEngineScript::DocumentCreation);
    latencyOnly.setWorldId(QWebEngineScript::MainWorld);
    latencyOnly.setRunsOnSubFrames(true);
    view_->page()->scripts().insert(latencyOnly);
}

void WebEngineBrowser::slideShown(int number, const QString& title)
{
    if (requestedUrl_.scheme() == QLatin1String("about"))
        return;
    currentSlide_ = {number, title.toStdString()};
}

void WebEngineBrowser::slideAreaChanged(int left, int top, int right, int bottom)
{
    if (requestedUrl_.scheme() != QLatin1String("about"))
        slideArea_ = {left, top, right, bottom};
}

void WebEngineBrowser::advancingChanged(bool pending, int afterMs)
{
    advanceMs_ = pending && requestedUrl_.scheme() != QLatin1String("about") ? std::max(0, afterMs) : -1;
}

void WebEngineBrowser::RunScript(const QString& script)
{
    if (view_)
        view_->page()->runJavaScript(script);
}

void WebEngineBrowser::showAdvanced(int step, int ran, double due, bool ended)
{
    emit ShowStepDone(step, ran, due < 0 ? -1 : static_cast<int>(due), ended);
}

void WebEngineBrowser::frameNavigated(const QString& url)
{
    if (url.startsWith(QLatin1String(kPresentationScheme) + QLatin1Char(':')))
        showReported_ = true;
    emit NavigateComplete2(url);
}

// The page's navigation completes when its document arrives, before its frames have loaded
// (the end of loading waits for them): the URL change reports it, the end of loading only when
// the URL did not change, so that a frame's report never comes before its page's.
void WebEngineBrowser::pageLoaded()
{
    if (view_ && view_->url() != reportedUrl_)
        reportPage(view_->url());
}

void WebEngineBrowser::loadingChanged(const QWebEngineLoadingInfo& load)
{
    // Only the load of the page asked for last: the end of an earlier one (about:blank just
    // before the generated page) can arrive after the next has begun.
    if (!view_ || load.status() != QWebEngineLoadingInfo::LoadSucceededStatus || load.url() != requestedUrl_
        || state_ != PageState::Loading)
        return;
    pageLoaded_ = true;
    // A page that holds a presentation stays Loading until its viewer reports; any other page
    // is ready now.
    const int navigation = navigation_;
    QPointer<WebEngineBrowser> self(this);
    view_->page()->runJavaScript(QStringLiteral("!!document.querySelector('[data-presentation]')"),
        [self, navigation](const QVariant& holdsPresentation) {
            if (!self || !self->view_ || navigation != self->navigation_ || self->state_ != PageState::Loading)
                return;
            if (!holdsPresentation.toBool())
                self->setState(PageState::Page);
        });
}

void WebEngineBrowser::urlChanged(const QUrl& url)
{
    // Also a jump within the page (its fragment), which completes without a load.
    if (url != reportedUrl_)
        reportPage(url);
}

void WebEngineBrowser::reportPage(const QUrl& url)
{
    reportedUrl_ = url;
    emit NavigateComplete2(url.toString());
}
