#include "core/captions.h"

#include <algorithm>
#include <cstdio>

namespace {

// Characters, not bytes: a line of 42 is what the reader sees.
size_t CodePoints(const std::string& s)
{
    size_t n = 0;
    for (const unsigned char c : s)
        if ((c & 0xC0) != 0x80)
            ++n;
    return n;
}

// The byte length of the first count characters of s.
size_t BytesOfCodePoints(const std::string& s, size_t count)
{
    size_t i = 0;
    for (size_t seen = 0; i < s.size(); ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
            if (seen == count)
                break;
            ++seen;
        }
    }
    return i;
}

std::vector<std::string> Words(const std::string& text)
{
    std::vector<std::string> words;
    std::string word;
    for (const char c : text) {
        if (c == ' ' || c == '\n' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
            if (!word.empty())
                words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty())
        words.push_back(word);
    return words;
}

std::vector<std::string> Lines(const std::string& notes)
{
    const size_t limit = kCaptionLineLength;
    std::vector<std::string> lines;
    std::string line;
    for (std::string word : Words(notes)) {
        while (CodePoints(word) > limit) {
            if (!line.empty())
                lines.push_back(line);
            const size_t cut = BytesOfCodePoints(word, limit);
            lines.push_back(word.substr(0, cut));
            word.erase(0, cut);
            line.clear();
        }
        if (word.empty())
            continue;
        if (line.empty())
            line = word;
        else if (CodePoints(line) + 1 + CodePoints(word) <= limit)
            line += " " + word;
        else {
            lines.push_back(line);
            line = word;
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

std::string Clock(long long ms, char fraction)
{
    if (ms < 0)
        ms = 0;
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld%c%03lld", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60,
                  fraction, ms % 1000);
    return text;
}

std::string Replace(std::string s, const std::string& from, const std::string& to)
{
    for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
    return s;
}

const std::string kZeroWidthSpace = "\xE2\x80\x8B";

} // namespace

std::vector<TimedText> NoteCues(const std::string& notes, long long startMs, long long endMs, bool* shortened)
{
    std::vector<std::string> cues;
    const std::vector<std::string> lines = Lines(notes);
    for (size_t k = 0; k < lines.size(); k += kCaptionLines) {
        std::string cue = lines[k];
        for (size_t j = 1; j < static_cast<size_t>(kCaptionLines) && k + j < lines.size(); ++j)
            cue += "\n" + lines[k + j];
        cues.push_back(cue);
    }
    const size_t fit = static_cast<size_t>(std::max(1LL, (endMs - startMs) / kShortestCueMs));
    if (cues.size() > fit) {
        cues.resize(fit);
        cues.back() += "\xE2\x80\xA6"; // …
        if (shortened)
            *shortened = true;
    }
    size_t total = 0;
    for (const std::string& cue : cues)
        total += CodePoints(cue);
    std::vector<TimedText> timed;
    size_t before = 0;
    const long long length = endMs - startMs;
    for (const std::string& cue : cues) {
        const long long from = startMs + static_cast<long long>(static_cast<double>(length) * before / total);
        before += CodePoints(cue);
        const long long to = before == total ? endMs
                                             : startMs + static_cast<long long>(static_cast<double>(length) * before / total);
        // A slide too short for all of its notes keeps those that get any time at all.
        if (to > from)
            timed.push_back({from, to, cue});
    }
    return timed;
}

std::vector<TimedText> RecordingCues(const std::vector<SlideSpan>& spans, const std::vector<std::string>& notesOfSlide,
                                     std::vector<int>* shortened)
{
    std::vector<TimedText> cues;
    for (const SlideSpan& s : spans) {
        if (s.slide < 1 || static_cast<size_t>(s.slide) > notesOfSlide.size())
            continue;
        bool cut = false;
        for (const TimedText& cue : NoteCues(notesOfSlide[s.slide - 1], s.span.startMs, s.span.endMs, &cut))
            cues.push_back(cue);
        if (cut && shortened)
            shortened->push_back(s.slide);
    }
    return cues;
}

std::string WebVttText(const std::vector<TimedText>& cues)
{
    std::string text = "WEBVTT\n\n";
    for (const TimedText& cue : cues) {
        std::string body = Replace(cue.text, "&", "&amp;");
        body = Replace(body, "<", "&lt;");
        body = Replace(body, ">", "&gt;");
        text += Clock(cue.startMs, '.') + " --> " + Clock(cue.endMs, '.') + "\n" + body + "\n\n";
    }
    return text;
}

std::string SubRipText(const std::vector<TimedText>& cues)
{
    std::string text;
    int index = 1;
    for (const TimedText& cue : cues) {
        std::string body = Replace(cue.text, "<", "<" + kZeroWidthSpace);
        body = Replace(body, "{", "{" + kZeroWidthSpace);
        body = Replace(body, "-->", "--" + kZeroWidthSpace + ">");
        text += std::to_string(index++) + "\n" + Clock(cue.startMs, ',') + " --> " + Clock(cue.endMs, ',') + "\n" + body +
                "\n\n";
    }
    return text;
}
