// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A file's size as people read it: "7.6 MB", "412 KB", "980 bytes" (powers of 1000, as the
// size budgets are typed).

#include <string>

std::string ByteSizeText(long long bytes);
