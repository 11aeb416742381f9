// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/duration_text.h"

#include <cstdio>

std::string DurationText(long long milliseconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%04.1f", milliseconds / 60000,
                  static_cast<double>(milliseconds % 60000) / 1000.0);
    return text;
}
