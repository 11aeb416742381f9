// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's exit statuses, the same for convert, export and batch (scripts test them).

enum ExitStatus { kExitSuccess = 0, kExitFailure = 1, kExitUsage = 2, kExitInterrupted = 130 };
