// SPDX-License-Identifier: GPL-3.0-or-later
#include "show/field_placeholders.h"
#include "show/show_document.h"

namespace {


} // namespace

QByteArray WithFieldPlaceholdersAsDrawn(const QByteArray& show)
{
    if (!(show.contains("ooo:text-adjust") || show.contains("PlaceholderText")))
        return show;
    return WithPageScript(show, QStringLiteral("field_placeholders"));
}
