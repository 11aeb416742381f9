#pragma once
// The Recorder window: plays the presentation in its browser area while the session records.

#include "platform/screen_grabber.h"
#include "record/recorder_host.h"
#include "record/recorder_services.h"

#include <QWidget>
#include <vector>

class BrowserControl;
class QFrame;
class QLabel;
class QPushButton;
class Picture;

class TForm2 : public QWidget {
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
    QWidget* browserArea = nullptr; // 613 x 477 at (2, 2) inside Panel1, holds WebBrowser1
    QLabel* title_caption = nullptr;
    QPushButton* suiButton2 = nullptr;
    QPushButton* button_start = nullptr;
    QPushButton* button_finished = nullptr;
    QPushButton* button_cancel = nullptr;
    QFrame* Panel2 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr;

    // The browser control, created on first use.
    BrowserControl* WebBrowser1();

    void FormShow();
    // Shows the window over the whole screen, on top, with the keyboard focus.
    void ShowRecorder();

    // Recording session (recorder_session.cpp)
    void button_startClick();
    void button_finishedClick();
    void button_cancelClick();

    // Slide actions and page tracking (recorder_actions.cpp)
    void suiButton2Click();
    void NextAction();
    void SendAltO();
    void WebBrowser1NavigateComplete2(const QString& url);

    // The capture rectangle from the panel's position on the screen now, before any trim.
    ScreenRect CaptureRect() const;
    // The screen point in the middle of the browser frame.
    QPoint BrowserFrameCentre() const;

    // How late each slot of the last session was grabbed, in ms after its due time.
    const std::vector<int>& slotLateness() const { return slotLateness_; }

    static constexpr int kFramePeriodMs = 150;
    static constexpr int kSlotLimit = 10000;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildLayout();
    void connectHandlers();
    void endSession(bool enableSave);
    void showPreview(const Picture& picture);

    RecorderHost* host_;
    RecorderServices services_;
    BrowserControl* browser_ = nullptr;
    std::vector<int> slotLateness_;
};
