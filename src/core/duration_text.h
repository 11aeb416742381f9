// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A run's length as people read it.

#include <string>

// "1:05.4" (minutes:seconds.tenths).
std::string DurationText(long long milliseconds);
