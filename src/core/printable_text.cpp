#include "core/printable_text.h"

#include <cstdio>

namespace {

// The length of the well-formed UTF-8 sequence at text[at], 0 when there is none.
size_t SequenceLength(const std::string& text, size_t at)
{
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80)
        return 1;
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF; // the second byte's range (overlongs and surrogates out)
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else
        return 0;
    if (at + length > text.size() || byte(at + 1) < low || byte(at + 1) > high)
        return 0;
    for (size_t k = 2; k < length; ++k)
        if (byte(at + k) < 0x80 || byte(at + k) > 0xBF)
            return 0;
    return length;
}

std::string Escaped(unsigned char byte)
{
    char text[8];
    std::snprintf(text, sizeof text, "\\x%02x", byte);
    return text;
}

} // namespace

bool IsValidUtf8(const std::string& text)
{
    for (size_t at = 0; at < text.size();) {
        const size_t length = SequenceLength(text, at);
        if (length == 0)
            return false;
        at += length;
    }
    return true;
}

std::string PrintableText(const std::string& text)
{
    std::string shown;
    for (size_t at = 0; at < text.size();) {
        const size_t length = SequenceLength(text, at);
        const auto lead = static_cast<unsigned char>(text[at]);
        const bool control = (length == 1 && (lead < 0x20 || lead == 0x7F) && lead != '\n' && lead != '\t') ||
                             (length == 2 && lead == 0xC2 && static_cast<unsigned char>(text[at + 1]) < 0xA0);
        if (length == 0 || control) {
            for (size_t k = 0; k < (length == 0 ? 1 : length); ++k)
                shown += Escaped(static_cast<unsigned char>(text[at + k]));
            at += length == 0 ? 1 : length;
            continue;
        }
        shown.append(text, at, length);
        at += length;
    }
    return shown;
}

std::string ValidUtf8(const std::string& text)
{
    std::string valid;
    for (size_t at = 0; at < text.size();) {
        const size_t length = SequenceLength(text, at);
        if (length == 0) {
            valid += "\xEF\xBF\xBD";
            ++at;
            continue;
        }
        valid.append(text, at, length);
        at += length;
    }
    return valid;
}
