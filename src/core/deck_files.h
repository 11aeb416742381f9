#pragma once
// The files the program takes as decks: one list for the command line, the converter, the
// windows' open dialog and the messages that name them.

#include <string>
#include <vector>

// "ppt", "pptx", "pps", "ppsx", "odp", "fodp".
const std::vector<std::string>& DeckExtensions();
// True when path ends in one of them, in any case.
bool IsDeckFile(const std::string& path);
// ".ppt, .pptx, .pps, .ppsx, .odp or .fodp".
std::string DeckExtensionsText();
// "*.ppt *.pptx *.pps *.ppsx *.odp *.fodp", a file dialog's pattern.
std::string DeckFilePatterns();
