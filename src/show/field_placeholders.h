// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How LibreOffice's SVG slide show draws a deck's date, footer, header and slide-number fields
// other than the suite does, after a round trip through .pptx or .ppt above all:
// - a slide's own footer boxes (as PowerPoint writes them: the footer's text, the date and the
//   slide's number in placeholders on the slide itself) are written hidden, as if they were a
//   master's, and nothing shows them again; the suite draws them as any other box;
// - a master's field box says it is aligned on the left whatever its paragraph says (a .pptx
//   keeps the alignment in the paragraph, which the export does not read), so the show sets a
//   centred footer or a right-aligned number from the box's left edge;
// - a placeholder that a narrow box breaks over several lines ("<", "n", "u", ...) is not
//   recognised, nor one in a master's plain box that is a custom shape (every box of a .ppt),
//   and is drawn as it stands, letter under letter.

#include <QByteArray>

// The show with a script that, as the page is parsed and before the show starts (and before
// WithFieldsWherePlaced's script places the fields in their boxes), shows a slide's own footer
// boxes, joins a broken placeholder into one line where its first line stands, lets the show
// fill a master's plain box with its field, and gives each master field the alignment its
// placeholder was laid out with. The show itself is unchanged when it has no fields.
QByteArray WithFieldPlaceholdersAsDrawn(const QByteArray& show);
