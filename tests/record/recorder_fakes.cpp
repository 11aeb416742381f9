// SPDX-License-Identifier: GPL-3.0-or-later
#include "recorder_fakes.h"

#include <algorithm>

void FakeScreen::GrabScreen(Picture& picture, const ScreenRect& rect)
{
    ++grabs;
    if (onGrab)
        onGrab();
    picture.reset(std::max(0, rect.width()), std::max(0, rect.height()));
    for (int y = 0; y < picture.height(); ++y) {
        const int sy = rect.top + y - origin.y();
        if (sy < 0 || sy >= content.height())
            continue;
        for (int x = 0; x < picture.width(); ++x) {
            const int sx = rect.left + x - origin.x();
            if (sx < 0 || sx >= content.width())
                continue;
            std::copy_n(content.scanLine(sy) + 3 * sx, 3, picture.scanLine(y) + 3 * x);
        }
    }
}

FakeCursorSource::FakeCursorSource()
{
    image.width = 3;
    image.height = 3;
    image.xhot = 1;
    image.yhot = 1;
    image.pixels.assign(9, 0xffffffffu);
}

bool FakeCursorSource::CurrentCursor(CursorImage& cursor)
{
    if (shown)
        cursor = image;
    return shown;
}

void FakeInput::SetCursorPos(const QPoint& point)
{
    pointer = point;
    events << QStringLiteral("move %1,%2").arg(point.x()).arg(point.y());
}

void FakeInput::KeyEvent(Key key, bool pressed)
{
    events << QStringLiteral("%1 %2").arg(key == Key::Alt ? "Alt" : "O", pressed ? "down" : "up");
}

void FakeInput::LeftButton(bool pressed)
{
    events << (pressed ? QStringLiteral("down") : QStringLiteral("up"));
    if (pressed) {
        clickPoints.push_back(pointer);
        if (onClick)
            onClick();
    }
}

void FakeClock::WaitUntilElapsed(uint32_t t0, uint32_t elapsedMs)
{
    ++waits;
    if (onWait)
        onWait(waits);
    if (now - t0 < elapsedMs)
        now = t0 + elapsedMs;
    now += overshoot;
}

RecorderServices Fakes::services()
{
    RecorderServices s;
    auto grabber = std::make_unique<FakeScreen>();
    auto cursorSource = std::make_unique<FakeCursorSource>();
    auto injector = std::make_unique<FakeInput>();
    auto slotClock = std::make_unique<FakeClock>();
    screen = grabber.get();
    cursor = cursorSource.get();
    input = injector.get();
    clock = slotClock.get();
    s.grabber = std::move(grabber);
    s.cursor = std::move(cursorSource);
    s.input = std::move(injector);
    s.clock = std::move(slotClock);
    s.makeBrowser = [this](QWidget* parent) -> BrowserControl* {
        browser = new FakeBrowser(parent);
        return browser;
    };
    return s;
}

Picture SlidePicture(uint8_t blue, uint8_t green, uint8_t red, int width, int height)
{
    Picture p(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* px = p.scanLine(y) + 3 * x;
            px[0] = blue;
            px[1] = green;
            px[2] = red;
        }
    return p;
}
