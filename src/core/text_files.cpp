// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/text_files.h"

#include "core/deckrec_error.h"

#include <cerrno>
#include <fstream>
#include <iterator>

std::string ReadTextFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t nul = raw.find('\0');
    if (nul != std::string::npos)
        raw.resize(nul);

    std::string text;
    text.reserve(raw.size() + raw.size() / 16 + 2);
    size_t lineStart = 0;
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\r' && raw[i] != '\n')
            continue;
        text.append(raw, lineStart, i - lineStart).append("\r\n");
        if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n')
            ++i;
        lineStart = i + 1;
    }
    if (lineStart < raw.size())
        text.append(raw, lineStart, std::string::npos).append("\r\n");
    return text;
}

namespace {
// The file-error texts users know from the system's own file operations.
[[noreturn]] void ThrowFileError(int error)
{
    if (error == EACCES || error == EPERM || error == EROFS)
        throw DeckrecError("File access denied");
    if (error == ENOSPC)
        throw DeckrecError("Disk full");
    throw DeckrecError("I/O error " + std::to_string(error));
}
} // namespace

void WriteTextFile(const std::string& text, const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        ThrowFileError(errno);
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const int savedErrno = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed)
        ThrowFileError(written ? errno : savedErrno);
}

std::string ReplaceAll(const std::string& text, const std::string& pattern, const std::string& replacement)
{
    if (pattern.empty())
        return text;
    std::string result;
    size_t from = 0;
    for (size_t at; (at = text.find(pattern, from)) != std::string::npos; from = at + pattern.size())
        result.append(text, from, at - from).append(replacement);
    result.append(text, from, std::string::npos);
    return result;
}

namespace {
char AsciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
} // namespace

std::string TextAfter(const std::string& text, const std::string& marker)
{
    if (marker.size() > text.size())
        return text;
    for (size_t at = 0; at + marker.size() <= text.size(); ++at) {
        size_t k = 0;
        while (k < marker.size() && AsciiLower(text[at + k]) == AsciiLower(marker[k]))
            ++k;
        if (k == marker.size())
            return text.substr(at + marker.size());
    }
    return text;
}

std::string HtmlEscape(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string Trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}
