// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The deck a run shows, as a path LibreOffice and the browser can open.

#include <string>

// deck as an absolute path; throws DeckrecError, its message starting with failure ("cannot
// convert talk.odp"), when it cannot be read.
std::string ReadableDeck(const std::string& deck, const std::string& failure);

// Qt and LibreOffice take a file name as UTF-8: a deck whose name holds other bytes is opened
// through a link in the run's folder whose name they can take (its stray bytes as U+FFFD).
std::string DeckOpenableByName(const std::string& deck, const std::string& runFolder);
