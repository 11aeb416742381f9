// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Recorder window: plays the presentation in its browser area while the session records.

#include "platform/browser_control.h"
#include "platform/screen_grabber.h"
#include "record/recorder_host.h"
#include "record/recorder_services.h"
#include "record/recording_session.h"
#include "record/screen_frame_source.h"
#include "record/show_time_clock.h"
#include "record/view_frame_source.h"
#include "ui/performing_host.h"
#include "ui/presenter_input.h"

#include <QSize>
#include <QWidget>
#include <memory>
#include <vector>

class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;
class Picture;

class TForm2 : public QWidget, private ShowOnScreen, private SessionEvents {
    Q_OBJECT
public:
    // host (not owned) gives the settings and takes the recording; with the real X11 and
    // browser services unless others are handed in.
    explicit TForm2(RecorderHost* host, QWidget* parent = nullptr);
    TForm2(RecorderHost* host, RecorderServices services, QWidget* parent = nullptr);
    ~TForm2() override;

    QFrame* suiPanel1 = nullptr;
    QFrame* suiPanel2 = nullptr;
    QFrame* Panel1 = nullptr;
    QWidget* browserArea = nullptr; // 613 x 477 at (2, 2) inside Panel1 (classic size), holds WebBrowser1
    QLabel* title_caption = nullptr;
    QPushButton* suiButton2 = nullptr;
    QPushButton* button_start = nullptr;
    QPushButton* button_finished = nullptr;
    QPushButton* button_cancel = nullptr;
    QFrame* Panel2 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr;
    // How far the pictures of a live performance are rendered; shown only meanwhile, under the
    // statistics. Cancel stops the rendering and keeps nothing.
    QProgressBar* progressbar_render = nullptr;

    // The browser control, created on first use.
    BrowserControl* WebBrowser1();

    // The browser frame records capture.width x capture.height screen pixels; the rest of the
    // layout moves with it (595 x 466 is the classic layout).
    void SetCaptureSize(CaptureSize capture);
    CaptureSize captureSize() const { return captureSize_; }
    // The least screen that holds the Recorder's panel around a capture of that size.
    static QSize RecorderSizeFor(CaptureSize capture);

    void FormShow();
    // Shows the window over the whole screen, on top, with the keyboard focus.
    void ShowRecorder();
    // Record Now's part: Finished off, Start Record on once the page in the browser is ready
    // to be recorded (the presentation's first slide, or the page saying why it cannot show).
    void PrepareSession();
    // From Start Record until Finished, Cancel or the end of the show, a stop at the slot
    // limit included.
    bool SessionActive() const { return session_.Active(); }

    // Recording session (recorder_session.cpp): the buttons' side of the session.
    void button_startClick();
    void button_finishedClick();
    void button_cancelClick();

    // Slide actions and page tracking (recorder_actions.cpp)
    void suiButton2Click();
    void NextAction();
    void SendAltO();
    void WebBrowser1NavigateComplete2(const QString& url);

    // The capture rectangle from the panel's position on the screen now, before any trim.
    ScreenRect CaptureRect() const override;
    // The screen point in the middle of the browser frame.
    QPoint BrowserFrameCentre() const;

    // Whether a session on the wall clock can grab the show from the screen; one on the show's
    // own clock needs no screen. The display is named for the question that offers that clock.
    bool CanCaptureScreen() const { return services_.grabber->CanCapture(); }
    static QString DisplayName();

    // Between the end of a live performance and the end of its rendering.
    bool Rendering() const { return phase_ == Phase::Rendering; }

    // What the last live performance logged.
    const PerformanceLog& performance() const { return session_.performance(); }

    // How late each slot of the last session was grabbed, in ms after its due time.
    const std::vector<int>& slotLateness() const { return session_.slotLateness(); }

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // A close from outside (the window manager, Alt+F4, a taskbar) is Finished.
    void closeEvent(QCloseEvent* event) override;

private:
    void buildLayout();
    void placeControls();
    void connectHandlers();
    void showPreview(const Picture& picture);
    // The next sessions record the screen on the wall clock, or the view's own rendering on
    // the show's clock.
    void useShowTime(bool on);
    // A live performance and the rendering of its pictures (recorder_render.cpp).
    void performLive();
    // A narrated recording: the host's narration log rendered as a performance's.
    void narrate();
    void startRendering(const PerformanceLog& log);
    void renderWhenReady();
    void endRendering();
    void updateStartRecord();
    PageState pageState() const;

    // Where the show is (ShowOnScreen)
    QPoint ClickPoint() const override { return BrowserFrameCentre(); }
    PageState State() const override { return pageState(); }
    ShownSlide CurrentSlide() const override { return browser_ ? browser_->CurrentSlide() : ShownSlide{}; }
    int SelfAdvanceMs() const override { return browser_ ? browser_->SelfAdvanceMs() : -1; }
    // What the session shows (SessionEvents)
    void PreviewReady(Picture& picture) override;
    void StatisticsChanged(const SessionStatistics& statistics) override;
    void SessionEnding(bool kept) override;
    void SessionEnded(bool kept) override;

    RecorderHost* host_;
    PerformingHost performingHost_; // what the session sees of host_
    RecorderServices services_;
    BrowserControl* browser_ = nullptr;
    ScreenFrameSource frameSource_;
    std::unique_ptr<ViewFrameSource> viewSource_; // while the show runs on the session's clock
    std::unique_ptr<ShowTimeClock> showClock_;
    RecordingSession session_;
    enum class Phase { Idle, Session, Performing, Rendering };
    Phase phase_ = Phase::Idle;
    bool loopRunning_ = false; // a Perform or Render loop has not returned yet
    PerformanceLog performance_; // what the last performance logged, while it is rendered
    PresenterInput presenterInput_;
    BrowserControl* renderBrowser_ = nullptr; // the view of its own that renders a performance
    std::unique_ptr<ViewFrameSource> renderSource_;
    std::unique_ptr<ShowTimeClock> renderClock_;
    bool closingForSession_ = false; // the close comes from Finished or Cancel themselves
    CaptureSize captureSize_;
};
