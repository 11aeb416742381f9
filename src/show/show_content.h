// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Whether LibreOffice's slide show of a deck draws anything. A deck LibreOffice cannot read
// (an empty .pptx, a damaged .ppt) may still come out as a show of one blank slide; recorded,
// it gives a white video that looks like success.

#include <QByteArray>

// True when some slide of the show (an SVG of LibreOffice's export) draws a shape, a text, a
// picture or a background of its own, or its master page draws one that is not hidden; also
// true for a file that is not well-formed XML, which is not this check's to refuse.
bool ShowDrawsContent(const QByteArray& show);
