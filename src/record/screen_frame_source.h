#pragma once
// The frame source of a show that plays in a window on the X screen: the browser's area of the
// screen is grabbed, the pointer drawn from the cursor's image, and a slide action is a
// synthetic click into the middle of the show, the pointer put back afterwards.

#include "platform/browser_control.h"
#include "platform/cursor_source.h"
#include "platform/input_injector.h"
#include "platform/screen_grabber.h"
#include "record/frame_source.h"

#include <QPoint>

// Where the show stands on the screen, as the window that holds the browser knows it.
class ShowOnScreen {
public:
    virtual ~ShowOnScreen() = default;
    // The browser frame's recorded area now, in screen pixels, before any trim.
    virtual ScreenRect CaptureRect() const = 0;
    // The screen point a slide action clicks.
    virtual QPoint ClickPoint() const = 0;
    // What the browser shows.
    virtual PageState State() const = 0;
    // The slide shown, and whether the show moves on by itself (see BrowserControl).
    virtual ShownSlide CurrentSlide() const { return {}; }
    virtual int SelfAdvanceMs() const { return -1; }
};

class ScreenFrameSource : public FrameSource {
public:
    // Nothing is owned; everything outlives the source.
    ScreenFrameSource(ScreenGrabber& grabber, CursorSource& cursor, InputInjector& input, const ShowOnScreen& show);

    // The capture rectangle is taken where the window is now and trimmed of the black border
    // rows once for the session.
    void BeginSession() override;
    void Grab(Picture& picture) override;
    void DrawPointer(Picture& picture) override;
    SampleScale Scale() const override { return scale_; }
    bool ShowHasEnded() override;
    void PerformSlideAction() override;
    ShownSlide CurrentSlide() override { return show_.CurrentSlide(); }
    int SelfAdvanceMs() override { return show_.SelfAdvanceMs(); }

    // The rectangle grabbed since BeginSession.
    const ScreenRect& rect() const { return rect_; }

private:
    ScreenGrabber& grabber_;
    CursorSource& cursorSource_;
    InputInjector& input_;
    const ShowOnScreen& show_;
    ScreenRect rect_;
    SampleScale scale_;
    QPoint pointer_; // where the pointer stood at the last grab
    CursorImage cursor_;
};
