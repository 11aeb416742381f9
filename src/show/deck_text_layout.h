// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What LibreOffice's SVG slide show leaves out of a deck's text layout, read from the deck as
// one flat ODF file (a .fodp, or LibreOffice's --convert-to fodp of any deck). The SVG places
// each line by its start only; a justified paragraph, whose lines the suite spreads to the
// right edge of the box, comes out ragged unless the browser is told where each line ends.

#include <QByteArray>
#include <QString>
#include <vector>

struct JustifiedParagraph {
    QString slide;          // the slide's name (draw:name), as the show names its page (ooo:name)
    QString text;           // the paragraph's characters without any white space, to find it by
    double right = 0;       // where its spread lines end, in the show's units (1/100 mm)
    bool lastLineToo = false; // fo:text-align-last="justify"
};

// A paragraph with runs whose letters the deck spaces wider or closer (fo:letter-spacing).
struct SpacedParagraph {
    QString slide; // as for JustifiedParagraph
    QString text;
    struct Range {
        int first = 0; // [first, end) indices into text
        int end = 0;
        double spacing = 0; // added after each character, in the show's units; negative closer
    };
    std::vector<Range> spaced;
};

// Every paragraph of the deck's slides with letters spaced other than the font spaces them,
// in document order; left out as for JustifiedParagraphs.
std::vector<SpacedParagraph> SpacedParagraphs(const QByteArray& flatOdf);

// The show with a script that, as the page is parsed and before the show starts (and before
// WithJustifiedLines's script measures the lines), gives each spaced run the deck's spacing.
// The SVG sets each line from its start only and writes no spacing, so a spaced line comes
// out as narrow as unspaced text. The show itself is unchanged when no letters are spaced.
QByteArray WithLetterSpacing(const QByteArray& show, const std::vector<SpacedParagraph>& paragraphs);

// A paragraph with a run in a symbol font that the show's page may draw with other symbols
// than the suite (see symbol_text.h), and where the suite sets its lines in its box.
struct SymbolParagraph {
    QString slide; // as for JustifiedParagraph
    QString text;
    double left = 0;  // the text area's edges, in the show's units: x + padding + margin
    double right = 0; // x + width - padding - margin
    QString align;    // fo:text-align: start, end, center, justify, ...
};

// Every paragraph of the deck's slides with a run in Wingdings, Symbol or another font the
// suite recodes, in document order; left out as for JustifiedParagraphs.
std::vector<SymbolParagraph> SymbolParagraphs(const QByteArray& flatOdf);

// The show with a script that, as the page is parsed, marks each such paragraph with its text
// area and alignment (data-text-area="left right align"): the served page's symbol script
// fits the lines it changes to them. The show itself is unchanged when there is none.
QByteArray WithSymbolTextAreas(const QByteArray& show, const std::vector<SymbolParagraph>& paragraphs);

// Every justified paragraph of the deck's slides, in document order. Paragraphs of tables,
// charts, notes and master pages, and of rotated shapes, are left out.
std::vector<JustifiedParagraph> JustifiedParagraphs(const QByteArray& flatOdf);

// The show with a script that, as the page is parsed and before the show starts, widens the
// word spaces of each justified line but a paragraph's last so that it ends where the suite
// ends it. The show itself is unchanged when there is nothing to justify.
QByteArray WithJustifiedLines(const QByteArray& show, const std::vector<JustifiedParagraph>& paragraphs);

// The show with its masters' date, footer and number fields placed where the suite places them
// (see the script in the source for why they are not).
QByteArray WithFieldsWherePlaced(const QByteArray& show);
