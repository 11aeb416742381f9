// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/presenter_input.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

PresenterInput::PresenterInput(std::function<void(SlideStep)> onAction, QObject* parent)
    : QObject(parent)
    , onAction_(std::move(onAction))
{
}

PresenterInput::~PresenterInput()
{
    Follow(nullptr);
}

void PresenterInput::Follow(QWidget* view, bool keysOnly)
{
    keysOnly_ = keysOnly;
    // The view's page draws in child widgets of its own: the whole application is watched,
    // and only while a view is followed.
    if (view && !view_)
        qApp->installEventFilter(this);
    else if (!view && view_)
        qApp->removeEventFilter(this);
    view_ = view;
    lastTimestamp_ = 0;
    lastType_ = 0;
}

std::optional<SlideStep> PresenterInput::StepOf(const QEvent& event)
{
    // The page moves on at the click, which the button's release completes.
    if (event.type() == QEvent::MouseButtonRelease) {
        if (static_cast<const QMouseEvent&>(event).button() == Qt::LeftButton)
            return SlideStep::Next;
        return std::nullopt;
    }
    if (event.type() != QEvent::KeyPress)
        return std::nullopt;
    const auto& key = static_cast<const QKeyEvent&>(event);
    if (key.isAutoRepeat() || (key.modifiers() & (Qt::AltModifier | Qt::ControlModifier)))
        return std::nullopt;
    switch (key.key()) {
    case Qt::Key_Space:
    case Qt::Key_Right:
    case Qt::Key_Down:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_N:
        return SlideStep::Next;
    case Qt::Key_Left:
        return SlideStep::Previous;
    case Qt::Key_PageDown:
        return SlideStep::NextSlide;
    case Qt::Key_PageUp:
        return SlideStep::PreviousSlide;
    case Qt::Key_Home:
        return SlideStep::First;
    case Qt::Key_End:
        return SlideStep::Last;
    default:
        return std::nullopt;
    }
}

bool PresenterInput::eventFilter(QObject* watched, QEvent* event)
{
    const std::optional<SlideStep> step = view_ && watched->isWidgetType() ? StepOf(*event) : std::nullopt;
    if (step && !(keysOnly_ && event->type() != QEvent::KeyPress)) {
        auto* widget = static_cast<QWidget*>(watched);
        const auto timestamp = static_cast<const QInputEvent*>(event)->timestamp();
        const bool again = timestamp == lastTimestamp_ && event->type() == lastType_;
        if ((widget == view_ || view_->isAncestorOf(widget)) && !again) {
            lastTimestamp_ = timestamp;
            lastType_ = event->type();
            onAction_(*step);
        }
    }
    return QObject::eventFilter(watched, event);
}
