// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// deckrec batch: many decks, each converted by a child process of its own, several at once.

#include "batch/batch_command_line.h"

#include <string>
#include <vector>

// args after "batch"; program is this executable's path as started (argv[0]); check holds
// convert's own rules for the options passed on.
int RunBatch(const std::vector<std::string>& args, const char* program, const ConversionCheck& check);
