// SPDX-License-Identifier: GPL-3.0-or-later
#include "show/deck_text_layout.h"
#include "show/styled_paragraphs.h"
#include "show/show_document.h"
#include "platform/font_catalogue.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <algorithm>

namespace {

const QString kTextAlign = QStringLiteral("style:paragraph-properties/fo:text-align");
const QString kTextAlignLast = QStringLiteral("style:paragraph-properties/fo:text-align-last");
const QString kMarginRight = QStringLiteral("style:paragraph-properties/fo:margin-right");
const QString kPaddingRight = QStringLiteral("style:graphic-properties/fo:padding-right");
const QString kLetterSpacing = QStringLiteral("style:text-properties/fo:letter-spacing");
const QString kFontName = QStringLiteral("style:text-properties/style:font-name");
const QString kMarginLeft = QStringLiteral("style:paragraph-properties/fo:margin-left");
const QString kPaddingLeft = QStringLiteral("style:graphic-properties/fo:padding-left");





} // namespace

std::vector<SpacedParagraph> SpacedParagraphs(const QByteArray& flatOdf)
{
    const StyledParagraphs deck(flatOdf);
    std::vector<SpacedParagraph> spaced;
    for (const DeckParagraph& paragraph : deck.Paragraphs()) {
        SpacedParagraph out;
        out.slide = paragraph.slide;
        for (const DeckRun& run : paragraph.runs) {
            const int first = int(out.text.size());
            out.text += run.text;
            // "normal" (the font's own spacing) reads as no length.
            const double spacing = OdfLength(deck.RunValue(paragraph, run, kLetterSpacing)).value_or(0);
            if (spacing == 0)
                continue;
            if (!out.spaced.empty() && out.spaced.back().end == first && out.spaced.back().spacing == spacing)
                out.spaced.back().end = int(out.text.size());
            else
                out.spaced.push_back({first, int(out.text.size()), spacing});
        }
        if (!out.spaced.empty())
            spaced.push_back(out);
    }
    return spaced;
}

QByteArray WithLetterSpacing(const QByteArray& show, const std::vector<SpacedParagraph>& paragraphs)
{
    if (paragraphs.empty())
        return show;
    QJsonObject plan;
    for (const SpacedParagraph& paragraph : paragraphs) {
        QJsonArray ranges;
        for (const SpacedParagraph::Range& range : paragraph.spaced)
            ranges.append(QJsonArray{range.first, range.end, range.spacing});
        AddToPagePlan(plan, paragraph.slide, {{"t", paragraph.text}, {"s", ranges}});
    }
    return WithPlannedParagraphScript(show, QStringLiteral("letter_spacing"), plan);
}

std::vector<SymbolParagraph> SymbolParagraphs(const QByteArray& flatOdf)
{
    static const QRegularExpression numbered(QStringLiteral("[0-9]+$"));
    const StyledParagraphs deck(flatOdf);
    std::vector<SymbolParagraph> found;
    for (const DeckParagraph& paragraph : deck.Paragraphs()) {
        if (!paragraph.shape.placed)
            continue;
        // A font is named by its declaration, which is the family's name, numbered when two
        // declarations share a family ("Wingdings1").
        const bool symbols = std::any_of(paragraph.runs.begin(), paragraph.runs.end(), [&](const DeckRun& run) {
            const QString name = deck.RunValue(paragraph, run, kFontName);
            return IsRecodedSymbolFont(name) || IsRecodedSymbolFont(QString(name).remove(numbered));
        });
        if (!symbols)
            continue;
        SymbolParagraph out;
        out.slide = paragraph.slide;
        out.text = paragraph.Text();
        out.left = paragraph.shape.x + OdfLength(deck.ShapeValue(paragraph, kPaddingLeft)).value_or(0) +
                   OdfLength(deck.ParagraphValue(paragraph, kMarginLeft)).value_or(0);
        out.right = paragraph.shape.x + paragraph.shape.width - OdfLength(deck.ShapeValue(paragraph, kPaddingRight)).value_or(0) -
                    OdfLength(deck.ParagraphValue(paragraph, kMarginRight)).value_or(0);
        out.align = deck.ParagraphValue(paragraph, kTextAlign);
        if (out.align.isEmpty())
            out.align = QStringLiteral("start");
        if (!out.text.isEmpty())
            found.push_back(out);
    }
    return found;
}

QByteArray WithSymbolTextAreas(const QByteArray& show, const std::vector<SymbolParagraph>& paragraphs)
{
    if (paragraphs.empty())
        return show;
    QJsonObject plan;
    for (const SymbolParagraph& paragraph : paragraphs)
        AddToPagePlan(plan, paragraph.slide,
                      {{"t", paragraph.text}, {"l", paragraph.left}, {"r", paragraph.right}, {"a", paragraph.align}});
    return WithPlannedParagraphScript(show, QStringLiteral("symbol_text_areas"), plan);
}

std::vector<JustifiedParagraph> JustifiedParagraphs(const QByteArray& flatOdf)
{
    const StyledParagraphs deck(flatOdf);
    std::vector<JustifiedParagraph> justified;
    for (const DeckParagraph& paragraph : deck.Paragraphs()) {
        if (!paragraph.shape.placed || deck.ParagraphValue(paragraph, kTextAlign) != QLatin1String("justify"))
            continue;
        const double padding = OdfLength(deck.ShapeValue(paragraph, kPaddingRight)).value_or(0);
        const double margin = OdfLength(deck.ParagraphValue(paragraph, kMarginRight)).value_or(0);
        JustifiedParagraph out;
        out.slide = paragraph.slide;
        out.text = paragraph.Text();
        out.right = paragraph.shape.x + paragraph.shape.width - padding - margin;
        out.lastLineToo = deck.ParagraphValue(paragraph, kTextAlignLast) == QLatin1String("justify");
        if (!out.text.isEmpty())
            justified.push_back(out);
    }
    return justified;
}

QByteArray WithJustifiedLines(const QByteArray& show, const std::vector<JustifiedParagraph>& paragraphs)
{
    if (paragraphs.empty())
        return show;
    QJsonObject plan;
    for (const JustifiedParagraph& paragraph : paragraphs)
        AddToPagePlan(plan, paragraph.slide, {{"t", paragraph.text}, {"r", paragraph.right}, {"l", paragraph.lastLineToo}});
    return WithPlannedParagraphScript(show, QStringLiteral("justified_lines"), plan);
}

QByteArray WithFieldsWherePlaced(const QByteArray& show)
{
    return show.contains("class=\"BackgroundObjects\"") ? WithPageScript(show, QStringLiteral("fields_where_placed")) : show;
}
