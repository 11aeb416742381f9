#include "platform/webengine_browser.h"

#include "platform/presentation_scheme.h"

#include <QFile>
#include <QWebChannel>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace {

// Runs in the main frame of every page: frames' reports, queued until the channel is open.
const char kFrameRelay[] = R"JS(
(function () {
  var queue = [];
  var bridge = null;
  window.addEventListener('message', function (event) {
    var data = event.data;
    if (!data || typeof data.deckrecFrameUrl !== 'string') return;
    if (bridge) bridge.frameNavigated(data.deckrecFrameUrl); else queue.push(data.deckrecFrameUrl);
  });
  function open() {
    if (typeof qt === 'undefined' || !qt.webChannelTransport) return false;
    new QWebChannel(qt.webChannelTransport, function (channel) {
      bridge = channel.objects.deckrecBrowser;
      queue.splice(0).forEach(function (url) { bridge.frameNavigated(url); });
    });
    return true;
  }
  if (!open()) document.addEventListener('DOMContentLoaded', open);
})();
)JS";

QString ChannelScriptSource()
{
    QFile library(QStringLiteral(":/qtwebchannel/qwebchannel.js"));
    if (!library.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(library.readAll()) + QString::fromUtf8(kFrameRelay);
}

} // namespace

WebEngineBrowser::WebEngineBrowser(QWidget* parent, const QString& workingDirectory)
    : BrowserControl(parent)
{
    RegisterPresentationScheme();
    // Off the record: nothing of the shown pages is kept on disk.
    profile_ = new QWebEngineProfile(this);
    profile_->installUrlSchemeHandler(kPresentationScheme, new PresentationSchemeHandler(workingDirectory, profile_));

    view_ = new QWebEngineView(parent);
    auto* page = new QWebEnginePage(profile_, view_);
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
    connect(page, &QWebEnginePage::urlChanged, this, &WebEngineBrowser::urlChanged);
}

WebEngineBrowser::~WebEngineBrowser()
{
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
    view_->setUrl(url);
}

void WebEngineBrowser::FocusPresentation()
{
    if (!view_)
        return;
    view_->setFocus(Qt::OtherFocusReason);
    view_->page()->runJavaScript(QStringLiteral("window.deckrecFocusPresentation && deckrecFocusPresentation();"));
}

void WebEngineBrowser::frameNavigated(const QString& url)
{
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
