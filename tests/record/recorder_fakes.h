// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Fakes of the recorder's platform services: a screen made of one picture, a fixed cursor,
// recorded input, a clock that jumps to each deadline, and a browser that only records.

#include "core/picture.h"
#include "platform/browser_control.h"
#include "record/recorder_services.h"

#include <QPoint>
#include <QStringList>
#include <QWidget>
#include <functional>

// Black everywhere except `content`, whose top-left corner is at `origin` on the screen.
class FakeScreen : public ScreenGrabber {
public:
    void GrabScreen(Picture& picture, const ScreenRect& rect) override;
    Picture content;
    QPoint origin;
    int grabs = 0;
    std::function<void()> onGrab;
};

class FakeCursorSource : public CursorSource {
public:
    bool CurrentCursor(CursorImage& cursor) override;
    bool shown = true;
    CursorImage image; // 3 x 3 opaque white, hot spot in the middle, unless a test changes it
    FakeCursorSource();
};

class FakeInput : public InputInjector {
public:
    QPoint CursorPos() override { return pointer; }
    void SetCursorPos(const QPoint& point) override;
    void KeyEvent(Key key, bool pressed) override;
    void LeftButton(bool pressed) override;

    QPoint pointer{5, 5};
    QStringList events;               // "move x,y", "down", "up", "Alt down", "O up", ...
    std::vector<QPoint> clickPoints;  // where each left press happened
    std::function<void()> onClick;    // runs on each press
};

class FakeClock : public SlotClock {
public:
    uint32_t TickCount() override { return now; }
    void WaitUntilElapsed(uint32_t t0, uint32_t elapsedMs) override;

    uint32_t now = 1000;
    int waits = 0;
    uint32_t overshoot = 0;                   // ms every wait ends past its deadline
    std::function<void(int wait)> onWait;    // runs inside each wait, as nested handlers do
};

class FakeBrowser : public BrowserControl {
    Q_OBJECT
public:
    explicit FakeBrowser(QWidget* parent)
        : BrowserControl(parent)
        , view_(new QWidget(parent))
    {
    }
    QWidget* widget() override { return view_; }
    // Records the target. about:blank is loaded at once; any other page stays Loading until the
    // test moves it on with setState.
    void Navigate(const QString& target) override
    {
        navigations << target;
        setState(target == QLatin1String("about:blank") ? PageState::Page : PageState::Loading);
    }
    void FocusPresentation() override { ++focusRequests; }
    PageState State() const override { return state_; }
    // As the page would: the new state, then the signal.
    void setState(PageState state)
    {
        state_ = state;
        emit StateChanged(state);
    }

    QStringList navigations;
    int focusRequests = 0;

private:
    QWidget* view_;
    PageState state_ = PageState::Page; // a loaded page that plays no presentation
};

// The fakes, owned by the recorder once handed over; the pointers stay valid as long as it.
struct Fakes {
    FakeScreen* screen = nullptr;
    FakeCursorSource* cursor = nullptr;
    FakeInput* input = nullptr;
    FakeClock* clock = nullptr;
    FakeBrowser* browser = nullptr;
    RecorderServices services();
};

// A 595 x 466 picture of one colour with a lit band where the blank test looks.
Picture SlidePicture(uint8_t blue, uint8_t green, uint8_t red, int width = 595, int height = 466);
