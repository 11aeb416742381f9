// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A file's size as people read it: "7.6 MB", "412 KB", "980 bytes" (powers of 1000, as the
// size budgets are typed).

#include <string>

std::string ByteSizeText(long long bytes);

// A size as typed: a number, decimals allowed, and an optional k, M or G (powers of 1000, upper
// or lower case) with an optional B: "8M", "500k", "1.5MB", "120000". False for anything else
// and for less than one byte.
bool ParseByteSize(const std::string& text, long long& bytes);
