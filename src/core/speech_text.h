// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A slide's speaker notes as a voice should read them: markup, bullet glyphs, emoji and other
// symbols an engine would spell out are dropped, whitespace is collapsed, and the text is cut
// into sentences. The "[click]" marker is not read: it cuts the notes into pieces, one per
// stretch of speech between two advances of the show.

#include <string>
#include <vector>

struct SpokenPiece {
    std::vector<std::string> sentences; // empty when the stretch has nothing to say
};

// The notes cut at every "[click]" (N markers give N + 1 pieces, in order), each piece's text
// cleaned and split into sentences. Notes of only markup or symbols give pieces without
// sentences. Any UTF-8 is accepted; invalid bytes are dropped.
std::vector<SpokenPiece> SpeechPieces(const std::string& notes);
// Every sentence of the pieces, in order: what is said of the notes in all.
std::vector<std::string> SentencesOf(const std::vector<SpokenPiece>& pieces);
