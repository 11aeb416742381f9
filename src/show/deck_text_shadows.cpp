// SPDX-License-Identifier: GPL-3.0-or-later
#include "show/deck_text_shadows.h"
#include "show/styled_paragraphs.h"
#include "show/show_document.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {


} // namespace

std::vector<ShadowedParagraph> ShadowedParagraphs(const QByteArray& flatOdf)
{
    const StyledParagraphs deck(flatOdf);
    // fo:text-shadow is "none" or an offset the suite ignores.
    const QString textShadow = QStringLiteral("style:text-properties/fo:text-shadow");
    std::vector<ShadowedParagraph> shadowed;
    for (const DeckParagraph& paragraph : deck.Paragraphs()) {
        ShadowedParagraph out;
        out.slide = paragraph.slide;
        for (const DeckRun& run : paragraph.runs) {
            const int first = int(out.text.size());
            out.text += run.text;
            const QString value = deck.RunValue(paragraph, run, textShadow);
            if (value.isEmpty() || value == QLatin1String("none"))
                continue;
            if (!out.shadowed.empty() && out.shadowed.back().second == first)
                out.shadowed.back().second = int(out.text.size());
            else
                out.shadowed.push_back({first, int(out.text.size())});
        }
        if (!out.shadowed.empty())
            shadowed.push_back(out);
    }
    return shadowed;
}

QByteArray WithTextShadows(const QByteArray& show, const std::vector<ShadowedParagraph>& paragraphs)
{
    if (paragraphs.empty())
        return show;
    QJsonObject plan;
    for (const ShadowedParagraph& paragraph : paragraphs) {
        QJsonArray ranges;
        for (const auto& [first, end] : paragraph.shadowed)
            ranges.append(QJsonArray{first, end});
        AddToPagePlan(plan, paragraph.slide, {{"t", paragraph.text}, {"s", ranges}});
    }
    return WithPlannedParagraphScript(show, QStringLiteral("text_shadows"), plan);
}
