// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shadowed text (fo:text-shadow), which LibreOffice's SVG slide show draws without its shadow
// while the suite's own rendering (the PDF export, the slide show window) casts one. Which
// characters cast it is read from the deck as one flat ODF file; how the shadow looks is the
// suite's fixed rule, applied in the page to the run as it is drawn there.

#include <QByteArray>
#include <QString>
#include <utility>
#include <vector>

struct ShadowedParagraph {
    QString slide; // the slide's name (draw:name), as the show names its page (ooo:name)
    QString text;  // the paragraph's characters without any white space, to find it by
    // The shadowed characters, as [first, end) indices into text.
    std::vector<std::pair<int, int>> shadowed;
};

// Every paragraph of the deck's slides with at least one shadowed character, in document
// order. Paragraphs of tables, charts, notes and master pages are left out.
std::vector<ShadowedParagraph> ShadowedParagraphs(const QByteArray& flatOdf);

// The show with a script that, as the page is parsed and before the show starts, gives each
// shadowed run its shadow as the suite draws it. The shadow is a property of the run itself,
// so it moves, fades and appears with its text in every animation and transition. The show
// itself is unchanged when nothing casts a shadow.
QByteArray WithTextShadows(const QByteArray& show, const std::vector<ShadowedParagraph>& paragraphs);
