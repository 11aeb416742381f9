// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// deckrec export RECORDING_DIR -o OUTPUT ...: writes new outputs from a kept recording, which it
// never writes into.

#include "cli/command_line.h"

// programPath is argv[0], for the application object. Returns the exit status.
int RunExport(const CommandLine& command, char* programPath);
