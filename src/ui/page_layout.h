// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Places a control on a page at a fixed pixel rectangle and gives it its layout name.

#include <QWidget>

template <typename W>
W* Put(QWidget* page, W* widget, const char* name, int x, int y, int w, int h)
{
    widget->setParent(page);
    if (name)
        widget->setObjectName(name);
    widget->setGeometry(x, y, w, h);
    return widget;
}
