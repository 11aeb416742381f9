// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A deck's own text beside its slides, for captions and chapters: each slide's title and
// speaker notes, read from LibreOffice's flat XML (.fodp), where the notes are the text of the
// slide's notes page. (The styled paragraphs the show's layout passes read are
// show/styled_paragraphs.h's.)

#include <QByteArray>
#include <string>
#include <vector>

struct DeckText {
    // Slide n's at [n - 1]; an empty entry for a slide without one.
    std::vector<std::string> titles;
    std::vector<std::string> notes; // paragraphs joined by '\n'
    bool HasNotes() const;
};

// Reads the slides of flat XML; what is not a presentation gives no slides.
DeckText ReadFlatDeckText(const QByteArray& fodp);
// The same from a file; an unreadable file gives no slides.
DeckText ReadFlatDeckTextFile(const std::string& path);
