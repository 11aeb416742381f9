// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// deckrec batch: many decks, each converted by a child process of its own, several at once.

#include <string>
#include <vector>

// args after "batch"; program is this executable's path as started (argv[0]).
int RunBatch(const std::vector<std::string>& args, const char* program);
