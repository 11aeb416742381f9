// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Text set in a symbol font the system lacks. The show keeps such a run's characters as the
// deck has them, in the font's own code ("§" for Wingdings' small square, "ü" for its check
// mark, "a" for Symbol's alpha), and the browser, drawing another face, shows those letters.
// The suite draws the symbols (from OpenSymbol, or the Symbol twin); so does the show once its
// characters are the symbols' own.
// Bullets are drawn as outlines already and need none of this.

#include "platform/font_catalogue.h"

#include <QByteArray>

// The show with a script that, in the page, gives each run of a missing Wingdings or Symbol
// font the symbols' characters, and spaces the runs of a line so that it ends where the suite
// ends it in the text area the show marks its paragraph with (data-text-area). It runs after
// the show's own layout scripts, which find paragraphs by the deck's characters. The show
// itself is unchanged when no such run is there.
QByteArray WithSymbolText(const QByteArray& show, const FontCatalogue& resolver);
