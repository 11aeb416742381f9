// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Whether the suite kerns the deck's letters. It pairs letters closer only where a style of the
// deck asks for it (decks from the other office suites and the suite's own templates do; a
// style that says nothing does not), while the browser kerns every font that has pairs: a line
// of an unkerned deck would come out narrower than the suite set it.

#include <QByteArray>

// The show with the browser's kerning turned off when no style of the deck (a flat ODF file)
// turns it on; unchanged otherwise.
QByteArray WithDeckKerning(const QByteArray& show, const QByteArray& flatOdf);
