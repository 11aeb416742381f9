// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The windows: the Main window with the program's real services, until the user closes it.

#include <string>

// argc and argv go to the application object (Qt's own options among them).
// A deck, when given, is chosen at once as if picked with Browse ("Open with...").
int RunWindows(int argc, char** argv, const std::string& deck = "");
