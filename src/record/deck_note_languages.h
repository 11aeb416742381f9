// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The language each slide's speaker notes are marked as written in, so that a voice for that
// language reads them: the fo:language the styles of its notes' text name (a span's before its
// paragraph's, directly or through the styles they inherit from), read from LibreOffice's flat
// XML (.fodp). The deck's default
// language does not count: a slide takes another voice only where its author marked it.

#include <QByteArray>
#include <string>
#include <vector>

// Slide n's at [n - 1]: a language code ("de"), or empty where the notes name none.
std::vector<std::string> ReadFlatDeckNoteLanguages(const QByteArray& fodp);
// The same from a file; an unreadable file gives no slides.
std::vector<std::string> ReadFlatDeckNoteLanguagesFile(const std::string& path);
// The language most slides' notes are marked in (empty when none is): those slides are read
// with the voice asked for, the others with a voice of their own language.
std::string MainNoteLanguage(const std::vector<std::string>& languages);
// The language slide n's notes are read in: their own, or mainLanguage where they name none.
std::string SlideNoteLanguage(const std::vector<std::string>& languages, int slide, const std::string& mainLanguage);
