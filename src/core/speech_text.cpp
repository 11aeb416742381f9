// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/speech_text.h"

#include "core/printable_text.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

namespace {

// Work is done on code points, so that a symbol is dropped whole and never half a sequence.
using Text = std::u32string;

// A sentence longer than this is cut at its last clause or word boundary: an engine's pauses
// and the captions that follow sentence ends need breaks now and then.
constexpr size_t kLongestSentence = 300;
// Longer stretches between '<' and '>', or "](" and ')', are text, not markup; the bounds also
// keep notes full of stray brackets from costing time that grows with the square of their size.
constexpr size_t kLongestTag = 256;
constexpr size_t kLongestLinkTarget = 2048;

Text Decoded(const std::string& utf8)
{
    const std::string valid = ValidUtf8(utf8); // a stray byte becomes U+FFFD, dropped as a symbol below
    Text text;
    for (size_t at = 0; at < valid.size();) {
        const auto lead = static_cast<unsigned char>(valid[at]);
        const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
        for (size_t k = 1; k < length; ++k)
            c = (c << 6) | (static_cast<unsigned char>(valid[at + k]) & 0x3F);
        text += c;
        at += length;
    }
    return text;
}

std::string Encoded(const Text& text)
{
    std::string utf8;
    for (const char32_t c : text) {
        if (c < 0x80) {
            utf8 += static_cast<char>(c);
        } else if (c < 0x800) {
            utf8 += static_cast<char>(0xC0 | (c >> 6));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            utf8 += static_cast<char>(0xE0 | (c >> 12));
            utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            utf8 += static_cast<char>(0xF0 | (c >> 18));
            utf8 += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return utf8;
}

bool IsSpace(char32_t c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v' || c == 0xA0 || c == 0x202F ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x3000;
}

bool IsAsciiLetter(char32_t c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char32_t c)
{
    return c >= '0' && c <= '9';
}
// Letters of any script count: what is not ASCII and not a symbol below is taken for a letter.
bool IsWordCharacter(char32_t c)
{
    return IsAsciiLetter(c) || IsDigit(c) || c >= 0xC0;
}

// Glyphs that open a list item.
bool IsBulletGlyph(char32_t c)
{
    return c == 0x2022 || c == 0x25E6 || c == 0x25AA || c == 0x25AB || c == 0x25CF || c == 0x25CB || c == 0x25A0 ||
           c == 0x25A1 || c == 0x2023 || c == 0x2043 || c == 0x2013 || c == 0x2014 || c == 0x00B7 || c == 0x27A2 ||
           c == 0x2192 || c == 0x25B8 || c == 0x25BA || c == 0x2713 || c == 0x2714 || c == '*' || c == '-' ||
           c == '+' || c == '>' || c == '#';
}

// What an engine would read out by name ("bullet", "smiling face", "vertical line") or stumble
// over: emoji and their joiners and modifiers, pictographs, arrows, shapes, box drawing,
// private-use glyphs of symbol fonts, and the ASCII marks of markup.
bool IsUnspokenSymbol(char32_t c)
{
    if (c < 0x80)
        return c == '*' || c == '_' || c == '`' || c == '~' || c == '|' || c == '\\' || c == '^' || c == '{' ||
               c == '}' || c == '[' || c == ']' || c == '<' || c == '>' || c == '#' || (c < 0x20 && c != '\n');
    static constexpr std::array<std::pair<char32_t, char32_t>, 20> ranges{{
        {0x0080, 0x009F},   // C1 controls
        {0x00A6, 0x00A6},   // broken bar
        {0x00A7, 0x00A7},   // section sign
        {0x00B6, 0x00B7},   // pilcrow, middle dot
        {0x200B, 0x200F},   // zero-width characters and marks
        {0x2012, 0x2015},   // dashes (a pause at most; a space stands in)
        {0x2020, 0x2023},   // daggers, bullets
        {0x2043, 0x2043},   // hyphen bullet
        {0x20D0, 0x20FF},   // combining marks for symbols (the keycap)
        {0x2190, 0x23FF},   // arrows, mathematical operators, technical symbols
        {0x2500, 0x27BF},   // box drawing, shapes, miscellaneous symbols, dingbats
        {0x2900, 0x2BFF},   // more arrows and symbols
        {0x3030, 0x3030},   // wavy dash
        {0xE000, 0xF8FF},   // private use (Wingdings and Symbol bullets)
        {0xFE00, 0xFE0F},   // variation selectors
        {0xFFF0, 0xFFFF},   // specials, the replacement character
        {0x1F000, 0x1FAFF}, // emoji, pictographs, playing cards, regional indicators
        {0x1FB00, 0x1FBFF}, // legacy computing symbols
        {0xE0000, 0xE007F}, // tags (flag sequences)
        {0xF0000, 0x10FFFF} // supplementary private use
    }};
    return std::any_of(ranges.begin(), ranges.end(), [c](const auto& r) { return c >= r.first && c <= r.second; });
}

// "[click]" in any case.
bool IsClickMarkerAt(const std::string& notes, size_t at)
{
    static constexpr std::string_view marker = "[click]";
    if (notes.size() - at < marker.size())
        return false;
    for (size_t k = 0; k < marker.size(); ++k)
        if (std::tolower(static_cast<unsigned char>(notes[at + k])) != marker[k])
            return false;
    return true;
}

bool StartsWith(const Text& text, size_t at, std::u32string_view word)
{
    if (text.size() - at < word.size())
        return false;
    for (size_t k = 0; k < word.size(); ++k) {
        const char32_t c = text[at + k];
        if ((c < 0x80 ? static_cast<char32_t>(std::tolower(static_cast<int>(c))) : c) != word[k])
            return false;
    }
    return true;
}

// The first c in text[at, at + length], npos when there is none.
size_t FindWithin(const Text& text, size_t at, size_t length, char32_t c)
{
    const size_t end = std::min(text.size(), at + length + 1);
    for (size_t k = at; k < end; ++k)
        if (text[k] == c)
            return k;
    return Text::npos;
}

// HTML-ish markup: tags go (those that end a line or item leave a line break), the common
// entities become their characters. A '<' that opens no tag ("a < b") stays for the symbol pass.
Text WithoutTags(const Text& in)
{
    static constexpr std::array<std::u32string_view, 12> breaking{U"br",   U"p",  U"/p",  U"li", U"/li", U"div",
                                                                  U"/div", U"ul", U"/ul", U"ol", U"/ol", U"h"};
    static constexpr std::array<std::pair<std::u32string_view, char32_t>, 8> entities{{{U"&amp;", '&'},
                                                                                       {U"&lt;", '<'},
                                                                                       {U"&gt;", '>'},
                                                                                       {U"&quot;", '"'},
                                                                                       {U"&apos;", '\''},
                                                                                       {U"&#39;", '\''},
                                                                                       {U"&nbsp;", ' '},
                                                                                       {U"&hellip;", 0x2026}}};
    Text out;
    for (size_t at = 0; at < in.size(); ++at) {
        const char32_t c = in[at];
        if (c == '<' && at + 1 < in.size() && (IsAsciiLetter(in[at + 1]) || in[at + 1] == '/' || in[at + 1] == '!')) {
            const size_t close = FindWithin(in, at, kLongestTag, '>');
            if (close != Text::npos) {
                const bool breaks = std::any_of(breaking.begin(), breaking.end(), [&](std::u32string_view tag) {
                    return StartsWith(in, at + 1, tag) &&
                           (at + 1 + tag.size() == close || !IsAsciiLetter(in[at + 1 + tag.size()]) || tag == U"h");
                });
                out += breaks ? U'\n' : U' ';
                at = close;
                continue;
            }
        }
        if (c == '&') {
            const auto entity = std::find_if(entities.begin(), entities.end(),
                                             [&](const auto& e) { return StartsWith(in, at, e.first); });
            if (entity != entities.end()) {
                out += entity->second;
                at += entity->first.size() - 1;
                continue;
            }
        }
        out += c;
    }
    return out;
}

// Markdown links read as their text: "[the paper](https://...)" is "the paper".
Text WithoutLinkTargets(const Text& in)
{
    Text out;
    for (size_t at = 0; at < in.size(); ++at) {
        if (in[at] == ']' && at + 1 < in.size() && in[at + 1] == '(') {
            const size_t close = FindWithin(in, at, kLongestLinkTarget, ')');
            if (close != Text::npos && FindWithin(in, at, close - at, '\n') == Text::npos) {
                at = close;
                continue;
            }
        }
        out += in[at];
    }
    return out;
}

struct Line {
    Text text;
    bool item = false; // opened by a bullet or a number
};

// A line's list marker taken off: glyph bullets go, numbers stay ("2. Results" reads as "2.
// Results", an engine says "two"), and markdown headings and quotes lose their marks.
Line ItemOf(const Text& raw)
{
    size_t at = 0;
    while (at < raw.size() && IsSpace(raw[at]))
        ++at;
    Line line;
    size_t digits = at;
    while (digits < raw.size() && IsDigit(raw[digits]))
        ++digits;
    if (digits > at && digits < raw.size() && (raw[digits] == '.' || raw[digits] == ')') &&
        (digits + 1 == raw.size() || IsSpace(raw[digits + 1]))) {
        line.item = true;
        line.text = raw.substr(at, digits - at) + U"." + raw.substr(digits + 1);
        return line;
    }
    while (at < raw.size() && IsBulletGlyph(raw[at])) {
        size_t end = at;
        while (end < raw.size() && raw[end] == raw[at])
            ++end; // "**" or "##" or "--"
        // "*word*" opens emphasis, "-5" a negative number: only a glyph before a space is a bullet.
        if (end < raw.size() && !IsSpace(raw[end]) && raw[at] < 0x80)
            break;
        line.item = true;
        at = end;
        while (at < raw.size() && IsSpace(raw[at]))
            ++at;
    }
    line.text = raw.substr(at);
    return line;
}

// Symbols out, whitespace collapsed to single spaces, no space before punctuation.
Text Cleaned(const Text& in)
{
    Text out;
    for (const char32_t c : in) {
        const bool space = IsSpace(c) || IsUnspokenSymbol(c) || c == '\n';
        if (space) {
            if (!out.empty() && out.back() != ' ')
                out += ' ';
            continue;
        }
        if ((c == '.' || c == ',' || c == '!' || c == '?' || c == ';' || c == ':') && !out.empty() && out.back() == ' ')
            out.pop_back();
        out += c;
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

bool EndsSentence(char32_t c)
{
    return c == '.' || c == '!' || c == '?' || c == 0x2026;
}

// Words after which a full stop does not end the sentence.
bool IsAbbreviation(const Text& word)
{
    // Not "no" (a sentence may end in it) nor single letters ("option B." ends one as often as
    // an initial starts a name).
    static constexpr std::array<std::u32string_view, 22> known{
        U"e.g",    U"i.e", U"etc", U"dr", U"mr",  U"mrs", U"ms",   U"prof", U"vs", U"cf",  U"fig",
        U"approx", U"st",  U"jr",  U"sr", U"inc", U"ltd", U"dept", U"eq",   U"ca", U"vol", U"pp"};
    Text lower;
    for (const char32_t c : word)
        lower += c < 0x80 ? static_cast<char32_t>(std::tolower(static_cast<int>(c))) : c;
    return std::find(known.begin(), known.end(), std::u32string_view(lower)) != known.end();
}

// The word just before text[end] (after the last space).
Text WordBefore(const Text& text, size_t end)
{
    size_t start = end;
    while (start > 0 && text[start - 1] != ' ' && text[start - 1] != '(' && text[start - 1] != '"')
        --start;
    return text.substr(start, end - start);
}

bool HasWords(const Text& text)
{
    return std::any_of(text.begin(), text.end(), IsWordCharacter);
}

void AddSentence(std::vector<std::string>& sentences, Text sentence)
{
    while (!sentence.empty() && (sentence.front() == ' ' || sentence.front() == ','))
        sentence.erase(0, 1);
    while (!sentence.empty() && (sentence.back() == ' ' || sentence.back() == ','))
        sentence.pop_back();
    if (!HasWords(sentence))
        return;
    // A run-on stretch is cut where a reader would breathe: a clause mark, else a space.
    while (sentence.size() > kLongestSentence) {
        size_t cut = Text::npos;
        for (const char32_t mark : {U',', U';', U':', U' '}) {
            const size_t at = sentence.rfind(mark, kLongestSentence);
            if (at != Text::npos && at > kLongestSentence / 3) {
                cut = at + 1;
                break;
            }
        }
        if (cut == Text::npos)
            cut = kLongestSentence;
        AddSentence(sentences, sentence.substr(0, cut));
        sentence.erase(0, cut);
    }
    if (HasWords(sentence))
        sentences.push_back(Encoded(sentence));
}

// One stretch of cleaned text into sentences: an end mark followed by a space ends one, unless
// it closes an abbreviation, a leading item number, or the next word starts in lower case.
void SplitSentences(const Text& text, std::vector<std::string>& sentences)
{
    size_t start = 0;
    for (size_t at = 0; at < text.size(); ++at) {
        if (!EndsSentence(text[at]))
            continue;
        size_t end = at + 1;
        while (end < text.size() && (EndsSentence(text[end]) || text[end] == '"' || text[end] == ')' ||
                                     text[end] == 0x201D || text[end] == 0x2019))
            ++end;
        if (end < text.size() && text[end] != ' ')
            continue; // "3.5", "example.com"
        if (end < text.size() && end + 1 < text.size()) {
            const char32_t next = text[end + 1];
            if (next >= 'a' && next <= 'z')
                continue;
        }
        if (text[at] == '.' && end == at + 1) {
            const Text word = WordBefore(text, at);
            const bool itemNumber =
                !word.empty() && std::all_of(word.begin(), word.end(), IsDigit) && word.size() == at - start;
            if (itemNumber || IsAbbreviation(word))
                continue;
        }
        AddSentence(sentences, text.substr(start, end - start));
        start = end;
        at = end - 1;
    }
    AddSentence(sentences, text.substr(start));
}

bool EndsWithSentenceMark(const Text& text)
{
    return !text.empty() && (EndsSentence(text.back()) || text.back() == ':');
}

// One piece of notes into sentences. Lines are joined into paragraphs where a line only wraps
// (it ends without a mark and the next starts in lower case); every list item, heading-like
// line and paragraph ends a sentence.
std::vector<std::string> PieceSentences(const std::string& piece)
{
    const Text text = WithoutLinkTargets(WithoutTags(Decoded(piece)));
    std::vector<Text> paragraphs;
    bool open = false; // whether the last paragraph may take a wrapped line
    size_t lineStart = 0;
    while (lineStart <= text.size()) {
        size_t lineEnd = text.find('\n', lineStart);
        if (lineEnd == Text::npos)
            lineEnd = text.size();
        // Bullets in mid-line ("a • b • c") separate items too.
        Text raw = text.substr(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 1;
        size_t itemStart = 0;
        for (size_t at = 0; at <= raw.size(); ++at) {
            if (at < raw.size() && !(raw[at] == 0x2022 && at > 0))
                continue;
            const Line line = ItemOf(raw.substr(itemStart, at - itemStart));
            itemStart = at + 1;
            const Text cleaned = Cleaned(line.text);
            if (cleaned.empty()) {
                open = false;
                continue;
            }
            const bool wraps = open && !line.item && cleaned[0] >= 'a' && cleaned[0] <= 'z' &&
                               !EndsWithSentenceMark(paragraphs.back());
            if (wraps) {
                paragraphs.back() += U" " + cleaned;
            } else {
                paragraphs.push_back(cleaned);
            }
            open = true;
        }
    }
    std::vector<std::string> sentences;
    for (const Text& paragraph : paragraphs)
        SplitSentences(paragraph, sentences);
    return sentences;
}

} // namespace

std::vector<SpokenPiece> SpeechPieces(const std::string& notes)
{
    std::vector<SpokenPiece> pieces;
    size_t start = 0;
    for (size_t at = 0; at < notes.size(); ++at) {
        if (notes[at] == '[' && IsClickMarkerAt(notes, at)) {
            pieces.push_back({PieceSentences(notes.substr(start, at - start))});
            start = at + 7;
            at = start - 1;
        }
    }
    pieces.push_back({PieceSentences(notes.substr(start))});
    return pieces;
}

std::vector<std::string> SentencesOf(const std::vector<SpokenPiece>& pieces)
{
    std::vector<std::string> sentences;
    for (const SpokenPiece& piece : pieces)
        sentences.insert(sentences.end(), piece.sentences.begin(), piece.sentences.end());
    return sentences;
}
