// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/byte_size_text.h"

#include <cstdio>

std::string ByteSizeText(long long bytes)
{
    char text[32];
    if (bytes >= 1000 * 1000)
        std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / 1e6);
    else if (bytes >= 1000)
        std::snprintf(text, sizeof text, "%lld KB", bytes / 1000);
    else
        std::snprintf(text, sizeof text, "%lld bytes", bytes);
    return text;
}
