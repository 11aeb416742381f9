// SPDX-License-Identifier: GPL-3.0-or-later
// The X11 services on a real display: grab, cursor image and synthetic input.
#include "platform/x11/x11_cursor_source.h"
#include "platform/x11/x11_screen_grabber.h"
#include "platform/x11/xtest_input_injector.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

void Pause(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

uint32_t Pixel(const Picture& p, int x, int y)
{
    const uint8_t* px = p.scanLine(y) + 3 * x;
    return px[2] << 16 | px[1] << 8 | px[0];
}

class X11Services : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY") || QGuiApplication::platformName() != "xcb")
            GTEST_SKIP() << "needs an X display";
    }

    // A frameless window of one colour at a known place on the screen.
    std::unique_ptr<QWidget> ColouredWindow(const QRect& geometry, const QColor& colour)
    {
        auto window = std::make_unique<QWidget>(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        window->setStyleSheet(QStringLiteral("background: %1;").arg(colour.name()));
        window->setGeometry(geometry);
        window->show();
        window->raise();
        Pause(300);
        return window;
    }
};

} // namespace

TEST_F(X11Services, GrabGivesBgrPixelsAndClipsToTheScreen)
{
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    auto topLeft = ColouredWindow(QRect(0, 0, 40, 40), QColor(10, 20, 30));
    auto bottomRight = ColouredWindow(QRect(screen.width() - 40, screen.height() - 40, 40, 40), QColor(200, 150, 100));

    X11ScreenGrabber grabber;
    Picture p;
    grabber.GrabScreen(p, {-10, -10, 30, 30});
    ASSERT_EQ(p.width(), 40);
    ASSERT_EQ(p.height(), 40);
    EXPECT_EQ(p.pixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(Pixel(p, 5, 5), 0u);          // left of and above the screen
    EXPECT_EQ(Pixel(p, 20, 20), 0x0a141eu); // the window: red 10, green 20, blue 30

    grabber.GrabScreen(p, {screen.width() - 20, screen.height() - 20, screen.width() + 20, screen.height() + 20});
    EXPECT_EQ(Pixel(p, 10, 10), 0xc89664u);
    EXPECT_EQ(Pixel(p, 30, 30), 0u); // beyond the right and bottom edges

    // Entirely off the screen: a black picture, and the process goes on.
    grabber.GrabScreen(p, {screen.width() + 5, 0, screen.width() + 25, 10});
    EXPECT_EQ(p.width(), 20);
    EXPECT_EQ(Pixel(p, 3, 3), 0u);
    grabber.GrabScreen(p, {5, 5, 5, 9});
    EXPECT_TRUE(p.empty());

    // The same rectangle twice gives the same picture (one shared segment reused).
    Picture again;
    grabber.GrabScreen(p, {0, 0, 40, 40});
    grabber.GrabScreen(again, {0, 0, 40, 40});
    EXPECT_EQ(std::vector<uint8_t>(p.bits(), p.bits() + p.byteCount()),
        std::vector<uint8_t>(again.bits(), again.bits() + again.byteCount()));
    EXPECT_TRUE(grabber.usesSharedMemory());
}

TEST_F(X11Services, InjectedClickAndPointerMovesReachTheWindowUnderThePointer)
{
    QPushButton button(QStringLiteral("target"));
    button.setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    button.setGeometry(300, 300, 120, 60);
    button.show();
    Pause(300);
    int clicks = 0;
    QObject::connect(&button, &QPushButton::clicked, [&] { ++clicks; });

    XTestInputInjector input;
    input.SetCursorPos({12, 34});
    EXPECT_EQ(input.CursorPos(), QPoint(12, 34));
    input.SetCursorPos({360, 330});
    input.LeftButton(true);
    input.LeftButton(false);
    input.SetCursorPos({12, 34});
    Pause(200);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(input.CursorPos(), QPoint(12, 34));
}

TEST_F(X11Services, TheAltOChordReachesTheActiveWindow)
{
    auto window = ColouredWindow(QRect(100, 100, 200, 100), Qt::gray);
    window->activateWindow();
    Pause(200);
    int chords = 0;
    auto* shortcut = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_O), window.get());
    QObject::connect(shortcut, &QShortcut::activated, [&] { ++chords; });

    XTestInputInjector input;
    input.KeyEvent(InputInjector::Key::Alt, true);
    input.KeyEvent(InputInjector::Key::O, true);
    input.KeyEvent(InputInjector::Key::O, false);
    input.KeyEvent(InputInjector::Key::Alt, false);
    Pause(200);
    EXPECT_EQ(chords, 1);
}

TEST_F(X11Services, CursorImageHasItsHotSpotInsideTheShape)
{
    X11CursorSource source;
    CursorImage cursor;
    ASSERT_TRUE(source.CurrentCursor(cursor));
    EXPECT_GT(cursor.width, 0);
    EXPECT_GT(cursor.height, 0);
    EXPECT_EQ(cursor.pixels.size(), static_cast<size_t>(cursor.width) * cursor.height);
    EXPECT_LT(cursor.xhot, cursor.width);
    EXPECT_LT(cursor.yhot, cursor.height);
    // Premultiplied: no colour channel exceeds its alpha.
    for (uint32_t argb : cursor.pixels) {
        const uint32_t alpha = argb >> 24;
        EXPECT_LE((argb >> 16) & 0xff, alpha);
        EXPECT_LE(argb & 0xff, alpha);
    }
}
