// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The fonts of a slide show as LibreOffice exports it (SVG): each text run names the deck's
// family and a generic one, font-family="Arial Narrow, sans-serif"; symbol and embedded faces
// come as SVG fonts, font-family="Wingdings embedded", which the browser does not draw.

#include "platform/font_catalogue.h"

#include <QByteArray>
#include <vector>

// A family name as a font list or a declaration writes it, without its quotes.
QString UnquotedFamily(QString family);

// Every family the show's text asks for, once each, in the order of first use, resolved.
// Embedded SVG fonts count only for the symbol fonts LibreOffice recodes (bullets).
std::vector<FontResolution> ShowFonts(const QByteArray& show, const FontCatalogue& resolver);

// The show with each font list naming the face the suite lays the text out with: a family
// that is missing but has a metric-compatible twin gets the twin after it
// ("Arial Narrow, Liberation Sans Narrow, sans-serif"), which the browser takes where it
// would not take fontconfig's alias for the name.
QByteArray WithDrawnFonts(const QByteArray& show, const FontCatalogue& resolver);
