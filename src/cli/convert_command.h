// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// deckrec convert DECK -o OUTPUT ...: records the deck once and writes every output.

#include "cli/command_line.h"

// programPath is argv[0], for the application object. Returns the exit status.
int RunConvert(const CommandLine& command, char* programPath);
