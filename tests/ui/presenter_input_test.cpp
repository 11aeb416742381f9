// SPDX-License-Identifier: GPL-3.0-or-later
// Which of the presenter's input on the show's view a live performance logs as a slide action.
#include "ui/presenter_input.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

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

TEST(PresenterInput, EachClickAndSlideKeyGivesTheStepTheRenderingPerformsAndNothingElseDoes)
{
    const auto step = [](const QEvent& event) -> std::string {
        const std::optional<SlideStep> step = PresenterInput::StepOf(event);
        return step ? SlideStepName(*step) : "none";
    };
    EXPECT_EQ(step(Mouse(QEvent::MouseButtonRelease, Qt::LeftButton)), "next");
    EXPECT_EQ(step(Mouse(QEvent::MouseButtonPress, Qt::LeftButton)), "none") << "the click ends at the release";
    EXPECT_EQ(step(Mouse(QEvent::MouseButtonRelease, Qt::RightButton)), "none");
    const std::vector<std::pair<int, std::string>> keys{
        {Qt::Key_Space, "next"},          {Qt::Key_Right, "next"},         {Qt::Key_Down, "next"},
        {Qt::Key_Return, "next"},         {Qt::Key_Enter, "next"},         {Qt::Key_N, "next"},
        {Qt::Key_Left, "previous"},       {Qt::Key_PageDown, "next-slide"}, {Qt::Key_PageUp, "previous-slide"},
        {Qt::Key_Home, "first"},          {Qt::Key_End, "last"},           {Qt::Key_A, "none"},
    };
    for (const auto& [key, expected] : keys)
        EXPECT_EQ(step(Key(key)), expected) << key;
    EXPECT_EQ(step(Key(Qt::Key_Right, Qt::NoModifier, true)), "none") << "a held key";
    EXPECT_EQ(step(Key(Qt::Key_O, Qt::AltModifier)), "none") << "Alt+O focuses the show";
    EXPECT_EQ(step(Key(Qt::Key_N, Qt::ControlModifier)), "none");
}

// Only the followed view and what it holds count, each action once, and nothing once the
// session lets go of it.
TEST(PresenterInput, FollowsTheViewAndItsChildrenOnlyWhileFollowed)
{
    int actions = 0;
    PresenterInput input([&actions](SlideStep) { ++actions; });
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
    input.Follow(&view, true);
    click(page, 5);
    EXPECT_EQ(actions, 2) << "the recorder's own clicks are left out";
    QKeyEvent left = Key(Qt::Key_Left);
    QApplication::sendEvent(page, &left);
    EXPECT_EQ(actions, 3) << "the keys still count";
    input.Follow(nullptr);
    click(page, 6);
    EXPECT_EQ(actions, 3);
}
