// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/widget_input_injector.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QWidget>
#include <algorithm>
#include <chrono>

QPoint WidgetInputInjector::CursorPos()
{
    return pointSet_ ? point_ : QCursor::pos();
}

void WidgetInputInjector::SetCursorPos(const QPoint& point)
{
    point_ = point;
    pointSet_ = true;
}

void WidgetInputInjector::LeftButton(bool pressed)
{
    const QPoint global = CursorPos();
    QWidget* target = QApplication::widgetAt(global);
    if (!target)
        return;
    const QPointF local = target->mapFromGlobal(QPointF(global));
    QMouseEvent event(pressed ? QEvent::MouseButtonPress : QEvent::MouseButtonRelease, local, local, QPointF(global),
                      Qt::LeftButton, pressed ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    // Each event its own moment, as the display's are: the presenter's log takes two events
    // of one type and one time for a single action that went from a widget to its parent.
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    const auto now = static_cast<unsigned long>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
    lastTimestamp_ = std::max(now, lastTimestamp_ + 1);
    event.setTimestamp(lastTimestamp_);
    QApplication::sendEvent(target, &event);
}
