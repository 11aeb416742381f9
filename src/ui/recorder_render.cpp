// SPDX-License-Identifier: GPL-3.0-or-later
// A recording on the show's clock that the presenter plays live: the show runs in the
// Recorder's browser on the wall clock with the sound, the session logs every slide action, and
// once it is over the pictures of that log are rendered on the show's clock in a view of its
// own. The Main window hears of the session only when the pictures are there.
#include "ui/recorder_window.h"

#include "audio/performance_sound.h"
#include "core/presentation_page.h"
#include "platform/browser_control.h"
#include "record/show_state.h"
#include "ui/pointer_over_slide.h"

#include <QPointer>
#include <QProgressBar>
#include <QPushButton>

void TForm2::performLive()
{
    phase_ = Phase::Performing;
    performingHost_.Hold(true);
    // Auto Record's clicks are logged by the session as it dispatches them, and reach the view
    // as the presenter's would: then only the presenter's keys are followed.
    presenterInput_.Follow(WebBrowser1()->widget(), host_->AutoRecord());
    performingHost_.SetPointerProbe([this] { return PointerOverSlide(*WebBrowser1()->widget(), WebBrowser1()->SlideArea()); });
    loopRunning_ = true;
    session_.Perform();
    loopRunning_ = false;
    // The session ended inside the loop: the rendering starts now that the loop is gone. At
    // the slot limit it waits for Finished.
    if (phase_ == Phase::Rendering)
        startRendering(session_.performance());
}

void TForm2::narrate()
{
    phase_ = Phase::Rendering;
    performingHost_.Hold(true);
    button_finished->setEnabled(false);
    setCursor(Qt::BusyCursor);
    // The narration is made slide by slide on a thread of its own; Cancel stays at hand.
    button_cancel->setEnabled(true);
    progressbar_render->setRange(0, 0);
    progressbar_render->setFormat(QStringLiteral("Narration: slide %v of %m"));
    progressbar_render->show();
    QPointer<TForm2> self(this);
    const auto progress = [self](int slide, int slideCount) {
        if (!self || self->renderBrowser_)
            return;
        self->progressbar_render->setRange(0, slideCount);
        self->progressbar_render->setValue(slide);
    };
    performingHost_.PrepareNarration(progress, [self](std::optional<PerformanceLog> log) {
        if (!self)
            return;
        self->unsetCursor();
        // A Cancel meanwhile ended the session: the narration goes unused.
        if (!self->Rendering() || self->renderBrowser_)
            return;
        if (!log) {
            self->session_.Cancel();
            return;
        }
        self->startRendering(*log);
    });
}

void TForm2::startRendering(const PerformanceLog& log)
{
    performance_ = log;
    if (host_->AudioOn() && !host_->Narrated())
        EndWithSound(performance_, host_->Files().SoundFilePath());
    // The Main window hears of the end of the rendering, kept or not.
    performingHost_.Hold(false);
    button_start->setEnabled(false);
    button_finished->setEnabled(false);
    suiButton2->setEnabled(false);
    button_cancel->setEnabled(true);
    progressbar_render->setFormat(QStringLiteral("Rendering %p%"));
    progressbar_render->setRange(0, SlotsToRender(performance_, host_->FramePeriodMs(), host_->SlotLimit()));
    progressbar_render->setValue(0);
    progressbar_render->show();

    renderBrowser_ = services_.makeBrowser(browserArea);
    renderBrowser_->setParent(this);
    QWidget* view = renderBrowser_->widget();
    view->setParent(browserArea);
    view->setGeometry(browserArea->rect());
    WebBrowser1()->widget()->hide();
    view->show();
    renderBrowser_->UseShowClock(true);
    // A narration sets every slide's time: the deck's own timings would move slides on under it.
    renderBrowser_->SetDeckTimings(host_->DeckTimings() && !host_->Narrated());
    // The page reports its state from inside its own message handling, which must be over
    // before the rendering waits for the page's answers.
    connect(renderBrowser_, &BrowserControl::StateChanged, this, &TForm2::renderWhenReady, Qt::QueuedConnection);
    renderBrowser_->Navigate(QString::fromLocal8Bit(GeneratedPagePath(host_->Files()).c_str()));
}

void TForm2::renderWhenReady()
{
    if (phase_ != Phase::Rendering || loopRunning_ || !renderBrowser_ || !ShowIsOpen(renderBrowser_->State()))
        return;
    ShowRenderer* renderer = renderBrowser_->showRenderer();
    if (!renderer)
        return;
    disconnect(renderBrowser_, &BrowserControl::StateChanged, this, nullptr);
    renderSource_ = std::make_unique<ViewFrameSource>(*renderer);
    renderClock_ = std::make_unique<ShowTimeClock>(*renderer);
    session_.SetCapture(*renderSource_, *renderClock_);
    loopRunning_ = true;
    // The view goes only once the loop has let go of it, an error of the frame store included.
    struct Done {
        TForm2& form;
        ~Done()
        {
            form.loopRunning_ = false;
            form.endRendering();
        }
    } done{*this};
    session_.Render(performance_);
    // The slot limit ends the loop without ending the session.
    if (session_.Active())
        session_.Finish();
}

void TForm2::endRendering()
{
    if (loopRunning_ || SessionActive())
        return;
    phase_ = Phase::Idle;
    unsetCursor(); // a narration cancelled while it was made
    progressbar_render->hide();
    suiButton2->setEnabled(true);
    session_.SetCapture(frameSource_, *services_.clock);
    renderSource_.reset();
    renderClock_.reset();
    if (renderBrowser_) {
        renderBrowser_->deleteLater();
        renderBrowser_ = nullptr;
    }
    WebBrowser1()->widget()->show();
}
