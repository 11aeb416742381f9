// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Small text operations on byte strings; no character-set conversion anywhere.

#include <string>

// The file's lines, each ended by CR LF (the last one too); lines split at CR LF, LF or a lone
// CR, and a NUL byte ends the text. A missing file yields the empty text.
std::string ReadTextFile(const std::string& path);

// Writes text exactly, creating or truncating the file. Throws DeckrecError with the system's
// file-error text when the file cannot be written.
void WriteTextFile(const std::string& text, const std::string& path);

// Every case-sensitive occurrence of pattern replaced, left to right; inserted text is not
// searched again.
std::string ReplaceAll(const std::string& text, const std::string& pattern, const std::string& replacement);

// Everything after the first occurrence of marker (ASCII letters compared without case);
// text unchanged when marker does not occur.
std::string TextAfter(const std::string& text, const std::string& marker);

// text without the spaces, tabs and CRs at either end.
std::string Trimmed(const std::string& text);

// & < > " ' replaced by their HTML character references; other bytes unchanged.
std::string HtmlEscape(const std::string& text);
