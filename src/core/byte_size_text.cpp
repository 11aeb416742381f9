// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/byte_size_text.h"

#include <charconv>
#include <cmath>
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

bool ParseByteSize(const std::string& text, long long& bytes)
{
    size_t i = 0;
    while (i < text.size() && ((text[i] >= '0' && text[i] <= '9') || text[i] == '.'))
        ++i;
    const std::string number = text.substr(0, i);
    if (number.empty() || number == "." || number.find('.') != number.rfind('.'))
        return false;
    std::string unit = text.substr(i);
    if (!unit.empty() && unit.back() == 'B')
        unit.pop_back();
    double scale = 1;
    if (unit == "k" || unit == "K")
        scale = 1e3;
    else if (unit == "m" || unit == "M")
        scale = 1e6;
    else if (unit == "g" || unit == "G")
        scale = 1e9;
    else if (!unit.empty())
        return false;
    // from_chars: a desktop's locale must not turn "1.5" into 1.
    double parsed = 0;
    const auto read = std::from_chars(number.data(), number.data() + number.size(), parsed);
    if (read.ec != std::errc() || read.ptr != number.data() + number.size())
        return false;
    const double value = parsed * scale;
    if (!(value >= 1) || value > 1e15)
        return false;
    bytes = std::llround(std::floor(value));
    return true;
}
