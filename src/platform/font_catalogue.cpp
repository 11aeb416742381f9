// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/font_catalogue.h"

namespace {

// LibreOffice's own recoding tables cover these (its "fontcvt"): their bullets come out of
// OpenSymbol in the suite.
constexpr const char* kRecodedSymbolFonts[] = {"Wingdings", "Wingdings 2", "Wingdings 3", "Webdings", "Symbol",
                                                "MT Extra", "Monotype Sorts", "StarSymbol", "OpenSymbol"};

} // namespace

bool IsRecodedSymbolFont(const QString& family)
{
    for (const char* name : kRecodedSymbolFonts)
        if (family.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QStringList MissingFontLines(const std::vector<FontResolution>& fonts)
{
    QStringList lines;
    for (const FontResolution& font : fonts)
        if (font.status == FontStatus::Missing)
            lines << QStringLiteral("the font \"%1\" is not installed; %2 is drawn instead")
                         .arg(font.family, font.drawnAs.isEmpty() ? QStringLiteral("another font") : font.drawnAs);
    return lines;
}
