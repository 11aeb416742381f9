// SPDX-License-Identifier: GPL-3.0-or-later
#include "show/show_hairlines.h"
#include "show/show_document.h"

QByteArray WithHairlinesAsDrawn(const QByteArray& show)
{
    // A style rule wins over the attributes the export writes, and reaches the show's copies of
    // a shape for its effects too.
    static const QByteArray kStyle =
        "<style type=\"text/css\"><![CDATA["
        ":is(path, polyline, polygon, line)[stroke]:not([stroke=\"none\"]):not([stroke-width]):not([stroke-dasharray])"
        " { stroke-width: 1px; vector-effect: non-scaling-stroke; shape-rendering: crispEdges; }"
        "]]></style>\n";
    return show.contains("stroke=\"rgb(") ? WithAtStart(show, kStyle) : show;
}
