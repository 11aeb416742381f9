// SPDX-License-Identifier: GPL-3.0-or-later
// Which of the presenter's input on the show's view a live performance logs as a slide action.
#include "ui/presenter_input.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

QMouseEvent Mouse(QEvent::Type type, Qt::MouseButton button)
{
    return QMouseEvent(type, QPointF(5, 5), QPointF(5, 5), button, type == QEvent::MouseButtonPress ? button : Qt::NoButton,
                       Qt::NoModifier);
}

QKeyEvent Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, bool autoRepeat = false)
{
    return QKeyEvent(QEvent::KeyPress, key, modifiers, QString(), autoRepeat);
}

} // namespace

TEST(PresenterInput, AClickOrAForwardKeyMovesTheShowOnAndNothingElseDoes)
{
    EXPECT_TRUE(PresenterInput::MovesShowOn(Mouse(QEvent::MouseButtonRelease, Qt::LeftButton)));
    EXPECT_FALSE(PresenterInput::MovesShowOn(Mouse(QEvent::MouseButtonPress, Qt::LeftButton))) << "the click ends at the release";
    EXPECT_FALSE(PresenterInput::MovesShowOn(Mouse(QEvent::MouseButtonRelease, Qt::RightButton)));
    for (const int key : {Qt::Key_Space, Qt::Key_Right, Qt::Key_Down, Qt::Key_PageDown, Qt::Key_Return, Qt::Key_Enter, Qt::Key_N})
        EXPECT_TRUE(PresenterInput::MovesShowOn(Key(key))) << key;
    for (const int key : {Qt::Key_Left, Qt::Key_Up, Qt::Key_PageUp, Qt::Key_Backspace, Qt::Key_Home, Qt::Key_End, Qt::Key_P})
        EXPECT_FALSE(PresenterInput::MovesShowOn(Key(key))) << key;
    EXPECT_FALSE(PresenterInput::MovesShowOn(Key(Qt::Key_Right, Qt::NoModifier, true))) << "a held key";
    EXPECT_FALSE(PresenterInput::MovesShowOn(Key(Qt::Key_O, Qt::AltModifier))) << "Alt+O focuses the show";
    EXPECT_FALSE(PresenterInput::MovesShowOn(Key(Qt::Key_N, Qt::ControlModifier)));
}

// Only the followed view and what it holds count, each action once, and nothing once the
// session lets go of it.
TEST(PresenterInput, FollowsTheViewAndItsChildrenOnlyWhileFollowed)
{
    int actions = 0;
    PresenterInput input([&actions] { ++actions; });
    QWidget view;
    auto* page = new QWidget(&view);
    QWidget elsewhere;
    auto click = [](QWidget* widget, unsigned long timestamp) {
        QMouseEvent release = Mouse(QEvent::MouseButtonRelease, Qt::LeftButton);
        release.setTimestamp(timestamp);
        QApplication::sendEvent(widget, &release);
    };
    click(page, 1);
    EXPECT_EQ(actions, 0) << "nothing is followed yet";
    input.Follow(&view);
    click(page, 2);
    click(&view, 2); // the same click handed on to the parent
    click(&view, 3);
    click(&elsewhere, 4);
    EXPECT_EQ(actions, 2);
    input.Follow(nullptr);
    click(page, 5);
    EXPECT_EQ(actions, 2);
}
