#pragma once
// File names are bytes, not always UTF-8, and may hold control characters: what a run prints of
// them must neither garble the terminal nor break a strict JSON reader, and what it hands to
// Qt or LibreOffice must name the same file.

#include <string>

// True when text is well-formed UTF-8.
bool IsValidUtf8(const std::string& text);
// text for a terminal: control characters (C0 but line feed and tab, DEL, C1) and bytes that
// are not UTF-8 as \xNN, the rest as it is.
std::string PrintableText(const std::string& text);
// text as well-formed UTF-8: each byte that is not UTF-8 becomes U+FFFD.
std::string ValidUtf8(const std::string& text);
