#pragma once
// The window a command-line run plays the deck in: the browser in a frame of the same size
// and insets as the Recorder's, so that a conversion records the same pixels as the windows,
// alone on a screen-covering window that stays on top. It tells the frame source where the
// show is, and keeps the caption of the last completed navigation (the slide's title).

#include "platform/browser_control.h"
#include "record/recorder_host.h"
#include "record/screen_frame_source.h"

#include <QSize>
#include <QString>
#include <QWidget>
#include <functional>

class QFrame;

class ShowWindow : public QWidget, public ShowOnScreen {
public:
    using BrowserFactory = std::function<BrowserControl*(QWidget* parent)>;

    ShowWindow(CaptureSize capture, const BrowserFactory& makeBrowser);
    ~ShowWindow() override;

    // The least screen that holds the window's frame around a capture of that size.
    static QSize ScreenSizeFor(CaptureSize capture);

    BrowserControl& browser() { return *browser_; }
    // Covers the screen, on top, with the keyboard focus: a screen grab records it.
    void ShowOnTop();
    // Shows the frame alone, at the screen's top left corner, also where it is larger than
    // the screen: the view's own rendering records it.
    void ShowFrameOnly();
    // The slide's number and title as the page reports them ("4,Results"), empty before the
    // first navigation.
    QString caption() const { return caption_; }

    ScreenRect CaptureRect() const override;
    QPoint ClickPoint() const override;
    PageState State() const override { return browser_->State(); }
    ShownSlide CurrentSlide() const override { return browser_->CurrentSlide(); }
    int SelfAdvanceMs() const override { return browser_->SelfAdvanceMs(); }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QFrame* panel_;
    BrowserControl* browser_;
    QString caption_;
};
