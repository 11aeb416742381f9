// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The fonts a deck carries inside itself. The suite lays a deck's text out with the faces
// embedded in it, where this system may have no face of that name at all; the show names the
// family only, so the browser would draw another face with other widths. In a flat ODF file
// the faces come as base64 data under the family's declaration.

#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

struct EmbeddedFace {
    QString family;        // as the deck's text names it
    QString weight;        // CSS: "normal", "bold", or a number
    QString style;         // CSS: "normal" or "italic"
    QByteArray data;       // the font file (TrueType or OpenType)
};

// Every face a flat ODF deck embeds that the browser can draw (TrueType and OpenType; the
// older EOT container is left out).
std::vector<EmbeddedFace> EmbeddedFaces(const QByteArray& flatOdf);

// The show with the deck's embedded faces of the families `wanted` accepts declared as web
// fonts at its start, before any text is laid out; unchanged when there are none. (The suite
// embeds every face a deck uses when asked to, the system's own included: only the families
// the system lacks are worth their bytes in the show.)
QByteArray WithDeckEmbeddedFonts(const QByteArray& show, const QByteArray& flatOdf,
                                 const std::function<bool(const QString& family)>& wanted);
