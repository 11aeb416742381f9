// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/pointer_over_slide.h"

#include <QCursor>
#include <QWidget>
#include <algorithm>

namespace {

// The page sets its pointer on the widget it draws in, a child of the view.
PointerShape ShapeAt(const QWidget& view, const QPoint& at)
{
    const QWidget* under = view.childAt(at);
    switch ((under ? under : &view)->cursor().shape()) {
    case Qt::PointingHandCursor:
        return PointerShape::Hand;
    case Qt::IBeamCursor:
        return PointerShape::Text;
    default:
        return PointerShape::Arrow;
    }
}

} // namespace

std::optional<PointerSample> PointerOverSlide(const QWidget& view, const ScreenRect& slideArea)
{
    if (!view.isVisible())
        return std::nullopt;
    const QPoint at = view.mapFromGlobal(QCursor::pos());
    const ScreenRect area = slideArea.width() > 1 && slideArea.height() > 1
        ? slideArea
        : ScreenRect{0, 0, view.width(), view.height()};
    if (!view.rect().contains(at) || at.x() < area.left || at.x() >= area.right || at.y() < area.top ||
        at.y() >= area.bottom)
        return std::nullopt;
    PointerSample sample;
    sample.x = static_cast<double>(at.x() - area.left) / std::max(1, area.width() - 1);
    sample.y = static_cast<double>(at.y() - area.top) / std::max(1, area.height() - 1);
    sample.shape = ShapeAt(view, at);
    return sample;
}
