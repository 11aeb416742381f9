// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The slides a show leaves out: those whose page style says presentation:visibility="hidden",
// read from LibreOffice's flat XML (.fodp). The show goes from the slide before such a slide
// straight to the one after it, so a timeline of the show gives it no time.

#include <QByteArray>
#include <string>
#include <vector>

// Slide n's at [n - 1], true when hidden; what is not a presentation gives no slides.
std::vector<bool> ReadFlatDeckHiddenSlides(const QByteArray& fodp);
// The same from a file; an unreadable file gives no slides.
std::vector<bool> ReadFlatDeckHiddenSlidesFile(const std::string& path);
