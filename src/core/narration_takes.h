// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where a deck's recorded narration lives: one WAV file per slide in a folder beside the deck,
// named after it ("talk.pptx" keeps its takes in "talk.narration/slide-03.wav"), so that the
// takes travel with the deck and never land in the program's own folder.

#include <optional>
#include <string>

// The narration folder of the deck at deckPath.
std::string NarrationFolderFor(const std::string& deckPath);
// The file name of slide's take ("slide-03.wav"; three digits and more past 99).
std::string TakeFileName(int slide);
// The slide whose take fileName names ("slide-NN.wav", two digits or more, in any letter case);
// nothing for any other name.
std::optional<int> TakeSlide(const std::string& fileName);
