// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/webengine/webengine_show_renderer.h"

#include "core/deckrec_error.h"
#include "platform/webengine/webengine_browser.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <cstring>

WebEngineShowRenderer::WebEngineShowRenderer(WebEngineBrowser& browser, int answerTimeoutMs)
    : browser_(browser)
    , answerTimeoutMs_(answerTimeoutMs)
{
}

void WebEngineShowRenderer::HoldClock()
{
    browser_.RunScript(QStringLiteral("window.deckrecClock && deckrecClock.holdAll();"));
    pendingMs_ = 0;
    nextDueMs_ = 0;
    changed_ = true;
    // What the view shows when the clock stops may be behind the page: the first step syncs.
    syncNext_ = true;
}

void WebEngineShowRenderer::Advance(int ms)
{
    // Nothing falls due in this step: the page would draw what it drew.
    if (nextDueMs_ < 0 || nextDueMs_ > ms) {
        pendingMs_ += ms;
        if (nextDueMs_ > 0)
            nextDueMs_ -= ms;
        QCoreApplication::processEvents();
        return;
    }
    Step(ms, "");
}

void WebEngineShowRenderer::SlideAction()
{
    Step(0, SlideStepName(SlideStep::Next));
}

void WebEngineShowRenderer::SlideStepAction(SlideStep step)
{
    Step(0, SlideStepName(step));
}

void WebEngineShowRenderer::Step(long long ms, const char* action)
{
    const int step = ++steps_;
    const long long total = pendingMs_ + ms;
    pendingMs_ = 0;
    bool answered = false;
    int ranInStep = 0;
    QEventLoop loop;
    const auto connection = QObject::connect(&browser_, &WebEngineBrowser::ShowStepDone, &loop,
        [&](int done, int ran, int due, bool ended) {
            if (done != step)
                return;
            answered = true;
            ranInStep = ran;
            changed_ = changed_ || ran > 0;
            nextDueMs_ = due;
            ended_ = ended;
            loop.quit();
        });
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    timeout.start(answerTimeoutMs_);
    browser_.RunScript(QStringLiteral("window.deckrecClock && deckrecClock.advanceAll(%1, %2, '%3');")
                           .arg(total)
                           .arg(step)
                           .arg(QLatin1String(action)));
    loop.exec();
    QObject::disconnect(connection);
    if (!answered)
        throw DeckrecError("the slide show did not draw its next moment within " +
                           std::to_string(answerTimeoutMs_ / 1000) + " seconds");
    // A step that ran nothing drew nothing: the rendering already shows it.
    if (ranInStep > 0 || syncNext_)
        WaitForMark(step);
    syncNext_ = false;
}

void WebEngineShowRenderer::WaitForMark(int step)
{
    const QColor mark(step & 255, (step >> 8) & 255, 200);
    QWidget* view = browser_.widget();
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        const QImage corner = view->grab(QRect(1, 1, 2, 2)).toImage();
        if (!corner.isNull() && corner.pixelColor(0, 0) == mark)
            return;
        if (waited.elapsed() > answerTimeoutMs_)
            throw DeckrecError("the slide show's view did not show its next moment within " +
                               std::to_string(answerTimeoutMs_ / 1000) + " seconds");
        QEventLoop pause;
        QTimer::singleShot(1, &pause, &QEventLoop::quit);
        pause.exec();
    }
}

void WebEngineShowRenderer::Render(Picture& picture)
{
    changed_ = false;
    QWidget* view = browser_.widget();
    const QImage image = view->grab().toImage().convertToFormat(QImage::Format_BGR888);
    picture.reset(image.width(), image.height());
    const size_t row = static_cast<size_t>(3) * static_cast<size_t>(image.width());
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(picture.scanLine(y), image.constScanLine(y), row);
}

// The viewer's reports come through the page's relay before the answer to the step in which
// they happened, so they are as of the last step.
ShownSlide WebEngineShowRenderer::CurrentSlide() const
{
    return browser_.CurrentSlide();
}

int WebEngineShowRenderer::SelfAdvanceMs() const
{
    return browser_.SelfAdvanceMs();
}

ScreenRect WebEngineShowRenderer::SlideArea() const
{
    return browser_.SlideArea();
}
