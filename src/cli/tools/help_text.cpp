// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/tools/help_text.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <sstream>

namespace {

std::string Trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

size_t Indent(const std::string& line)
{
    const size_t first = line.find_first_not_of(' ');
    return first == std::string::npos ? line.size() : first;
}

// text, a space, and more: text alone when it was empty.
void AddWords(std::string& text, const std::string& more)
{
    if (!text.empty())
        text += ' ';
    text += more;
}

std::string Joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        AddWords(text, Trimmed(line));
    return text;
}

[[noreturn]] void Fail(const std::string& why, const std::string& line)
{
    throw HelpTextError(why + ": \"" + line + "\"");
}

// Where the option descriptions start: the indentation of the lines that carry one on.
size_t DescriptionColumn(const std::vector<std::string>& lines)
{
    std::map<size_t, int> counts;
    for (const std::string& line : lines)
        if (Indent(line) >= 8 && Indent(line) < line.size())
            ++counts[Indent(line)];
    if (counts.empty())
        return 26;
    return std::max_element(counts.begin(), counts.end(),
                            [](const auto& a, const auto& b) { return a.second < b.second; })->first;
}

// "  --latency MS            time between ..." into head and description. A head longer than
// the column ends at a gap of two spaces; one that just fits may leave a single space.
bool SplitOptionLine(const std::string& line, size_t column, std::string& head, std::string& text)
{
    const size_t gap = line.find("  ", 2);
    if (gap != std::string::npos && line.find_first_not_of(' ', gap) != std::string::npos) {
        head = Trimmed(line.substr(0, gap));
        text = Trimmed(line.substr(gap));
        return true;
    }
    if (line.size() > column && line[column - 1] == ' ' && line[column] != ' ') {
        head = Trimmed(line.substr(0, column));
        text = line.substr(column);
        return true;
    }
    return false;
}

HelpOption OptionOfHead(const std::string& head, const std::string& line)
{
    HelpOption option;
    std::vector<std::string> words = Words(head);
    size_t i = 0;
    for (; i < words.size() && words[i][0] == '-'; ++i) {
        std::string name = words[i];
        const bool more = name.back() == ',';
        if (more)
            name.pop_back();
        option.names.push_back(name);
        if (!more) {
            ++i;
            break;
        }
    }
    for (; i < words.size(); ++i)
        AddWords(option.value, words[i]);
    if (option.names.empty())
        Fail("an option line without an option", line);
    return option;
}

void ParseSection(const std::vector<std::string>& lines, size_t first, size_t column, HelpSection& section)
{
    enum class Last { None, Option, Note } last = Last::None;
    std::vector<std::string> pending;
    auto flush = [&] {
        if (last == Last::Option)
            section.options.back().text = Joined(pending);
        else if (last == Last::Note)
            section.notes.push_back(Joined(pending));
        pending.clear();
    };
    for (size_t i = first; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        const size_t indent = Indent(line);
        std::string head, text;
        if (indent == column && last != Last::None) {
            pending.push_back(line);
        } else if (indent == 2 && line[2] == '-' && !(last == Last::Note && line.find("  ", 2) == std::string::npos) &&
                   SplitOptionLine(line, column, head, text)) {
            flush();
            section.options.push_back(OptionOfHead(head, line));
            pending.push_back(text);
            last = Last::Option;
        } else if (indent == 2 && line[2] != '-') {
            flush();
            pending.push_back(line);
            last = Last::Note;
        } else if (indent == 2 && last == Last::Note) {
            // "  --latency 3000 --size 360x203 --fps 10." carries a note on: no column, no option.
            pending.push_back(line);
        } else {
            Fail("an option list line of no known shape", line);
        }
    }
    flush();
}

void ParseUsage(const std::vector<std::string>& lines, HelpText& help)
{
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        const std::string text = Trimmed(line);
        if (Indent(line) == 2 && text.rfind("deckrec", 0) == 0) {
            // The form's own words are one or two spaces apart; a wider gap starts its note.
            const size_t gap = text.find("   ");
            UsageLine usage;
            usage.form = Joined(Words(text.substr(0, gap)));
            if (gap != std::string::npos)
                usage.note = Trimmed(text.substr(gap));
            help.usage.push_back(usage);
        } else if (Indent(line) == 2 && text.front() == '(' && text.back() == ')') {
            help.usageNotes.push_back(text.substr(1, text.size() - 2));
        } else if (Indent(line) > 2 && !help.usage.empty()) {
            std::string& note = help.usage.back().note;
            AddWords(note, text);
        } else {
            Fail("a usage line of no known shape", line);
        }
    }
}

// "0 every output written, 1 a failure while running, 2 a usage error, 130 interrupted."
void ParseExitStatus(const std::vector<std::string>& lines, HelpText& help)
{
    std::string text = Joined(lines);
    text = Trimmed(text.substr(std::string("Exit status:").size()));
    if (!text.empty() && text.back() == '.')
        text.pop_back();
    size_t start = 0;
    while (start < text.size()) {
        // The next ", " that a code follows: a meaning may hold commas of its own.
        size_t end = start;
        for (;;) {
            end = text.find(", ", end);
            if (end == std::string::npos)
                break;
            size_t digits = end + 2;
            while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits])))
                ++digits;
            if (digits > end + 2 && digits < text.size() && text[digits] == ' ')
                break;
            end += 2;
        }
        const std::string item = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        const size_t space = item.find(' ');
        ExitCode code;
        try {
            code.code = std::stoi(item.substr(0, space));
        } catch (const std::exception&) {
            Fail("an exit status without its number", item);
        }
        if (space == std::string::npos)
            Fail("an exit status without its meaning", item);
        code.meaning = item.substr(space + 1);
        help.exitCodes.push_back(code);
        start = end == std::string::npos ? text.size() : end + 2;
    }
}

} // namespace

HelpText ParseHelpText(const std::string& text)
{
    std::vector<std::string> all;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        all.push_back(line);
    }
    const size_t column = DescriptionColumn(all);

    std::vector<std::vector<std::string>> blocks(1);
    for (const std::string& line : all) {
        if (line.empty()) {
            if (!blocks.back().empty())
                blocks.emplace_back();
        } else {
            blocks.back().push_back(line);
        }
    }
    if (blocks.back().empty())
        blocks.pop_back();

    HelpText help;
    for (const std::vector<std::string>& block : blocks) {
        const std::string& first = block.front();
        if (first == "Usage:") {
            ParseUsage(block, help);
        } else if (first.rfind("Exit status:", 0) == 0) {
            ParseExitStatus(block, help);
        } else if (Indent(first) == 0 && first.back() == ':' && block.size() > 1 && Indent(block[1]) == 2) {
            HelpSection section;
            section.title = first.substr(0, first.size() - 1);
            ParseSection(block, 1, column, section);
            help.sections.push_back(section);
        } else if (Indent(first) == 2 && first[2] == '-') {
            HelpSection section;
            ParseSection(block, 0, column, section);
            help.sections.push_back(section);
        } else {
            for (const std::string& line : block)
                if (Indent(line) != 0)
                    Fail("an indented line in a paragraph", line);
            (help.sections.empty() ? help.intro : help.outro).push_back(Joined(block));
        }
    }
    if (help.usage.empty())
        throw HelpTextError("the help has no usage lines");
    return help;
}

std::string SubcommandOf(const UsageLine& line)
{
    const std::vector<std::string> words = Words(line.form);
    if (words.size() < 2)
        return {};
    const std::string& word = words[1];
    const bool name = std::all_of(word.begin(), word.end(), [](char ch) { return ch >= 'a' && ch <= 'z'; });
    return name ? word : std::string();
}

std::vector<std::string> OptionsInForm(const std::string& form)
{
    std::vector<std::string> options;
    for (std::string word : Words(form)) {
        while (!word.empty() && (word.front() == '[' || word.front() == '('))
            word.erase(0, 1);
        while (!word.empty() && (word.back() == ']' || word.back() == ')'))
            word.pop_back();
        if (word.size() > 1 && word[0] == '-' && word != "--" &&
            std::find(options.begin(), options.end(), word) == options.end())
            options.push_back(word);
    }
    return options;
}

bool IsLiteralValue(const std::string& value)
{
    if (value.empty() || value.find("..") != std::string::npos)
        return false;
    return std::none_of(value.begin(), value.end(), [](char ch) { return ch >= 'A' && ch <= 'Z'; });
}

OptionChoices ChoicesOf(const HelpOption& option)
{
    OptionChoices choices;
    if (option.value.empty())
        return choices;
    if (option.value.find('|') != std::string::npos) {
        std::istringstream in(option.value);
        for (std::string value; std::getline(in, value, '|');) {
            if (!IsLiteralValue(value))
                return {};
            choices.values.push_back(value);
        }
        return choices;
    }
    // The description's first clause, up to its default or a semicolon.
    std::string clause = option.text.substr(0, std::min(option.text.find(" ["), option.text.find(';')));
    const std::string several = "comma-separated ";
    if (clause.rfind(several, 0) == 0) {
        clause.erase(0, several.size());
        choices.commaSeparated = true;
    } else {
        const size_t lastOr = clause.rfind(" or ");
        if (lastOr == std::string::npos)
            return {};
        clause.replace(lastOr, 4, ", ");
    }
    std::istringstream in(clause);
    for (std::string value; std::getline(in, value, ',');) {
        value = Trimmed(value);
        if (value.empty() || value.find(' ') != std::string::npos)
            return {};
        choices.values.push_back(value);
    }
    if (choices.values.size() < 2)
        return {};
    return choices;
}

std::vector<std::string> Words(const std::string& text)
{
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}
