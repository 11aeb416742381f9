// SPDX-License-Identifier: GPL-3.0-or-later
#include "show/deck_kerning.h"
#include "show/show_document.h"

QByteArray WithDeckKerning(const QByteArray& show, const QByteArray& flatOdf)
{
    if (flatOdf.contains("letter-kerning=\"true\""))
        return show;
    // A root that has a style of its own is left as the export wrote it.
    return WithRootAttribute(show, "style", "font-kerning:none");
}
