// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the presentation frame shows: LibreOffice's slide show with the viewer's additions, or
// a page that tells why the presentation cannot be shown.

#include <QByteArray>
#include <QString>

// The show with the viewer's script added: the slide is letterboxed in black, each slide change
// puts "#" + slide id + "," + slide number + "," + title into the frame's URL and tells the
// page, and the action after the last one shows a black end screen instead of slide 1. The
// page is also told the show's state, once painted: { deckrecShowState: "slide" } or "end".
QByteArray WithViewerScript(const QByteArray& show);

// An HTML page naming the file and the reason it cannot be shown; it tells the page
// { deckrecShowState: "cannot-show" }.
QByteArray CannotShowPage(const QString& presentationPath, const QString& reason);
