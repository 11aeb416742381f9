// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Lines of no width (a deck's hairlines), which the suite draws one device pixel wide and fully
// dark at any size. LibreOffice's SVG show writes them without a width of their own, so they
// take the document's default, a pixel at 90 dpi in the show's units: scaled to the view, a
// line of a fraction of a pixel or more than one, smoothed over two rows either way, lighter
// than the suite's.

#include <QByteArray>

// The show with a style that draws each stroke without a width of its own one device pixel
// wide, unsmoothed, whatever the slide's scale. Dashed ones are left as they are: their dashes
// are in the show's units, which a width of the view's pixels would shrink to nothing.
QByteArray WithHairlinesAsDrawn(const QByteArray& show);
