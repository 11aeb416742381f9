#pragma once
// Effects the show's engine breaks on. LibreOffice's presets animate a shape's fill, line and
// text colour and its text alone ("sub-item" text) on any shape; the engine in the exported
// show reads no colour from a shape that does not paint it (a picture's fill, a line a shape
// does not draw), animates text only paragraph by paragraph, and has no text colour for a
// whole shape. Where it reads nothing it throws at every step of the effect: the effect never
// ends, the slide's later effects never start and no click moves the show on. Effects that go
// letter by letter it does not play at all. The script here gives those effects what the suite
// gives them, so the show goes on and the colours show, and plays a letter-by-letter effect on
// the whole text at once.

#include <QByteArray>


// The show with the repair script added when one of its effects animates a colour or a
// shape's text alone, or goes letter by letter; any other show comes back as it is, byte for
// byte.
QByteArray WithEffectRepairs(const QByteArray& show);
