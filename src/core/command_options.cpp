// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/command_options.h"

#include "core/byte_size_text.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace {

// Where a description starts; a longer name and value push it to the usage lines' column.
constexpr size_t kDescriptionColumn = 26;
constexpr size_t kWideDescriptionColumn = 51;

bool ParseWholeNumber(const std::string& text, int& value)
{
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return !text.empty() && result.ec == std::errc() && result.ptr == end;
}

bool ParseDecimal(const std::string& text, double& value)
{
    // from_chars: a desktop's locale must not turn "1.5" into 1.
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return !text.empty() && result.ec == std::errc() && result.ptr == end && std::isfinite(value);
}

// "WxH" with both sides in 1..8192.
bool IsSize(const std::string& text)
{
    const size_t x = text.find_first_of("xX");
    int width = 0;
    int height = 0;
    return x != std::string::npos && ParseWholeNumber(text.substr(0, x), width) &&
           ParseWholeNumber(text.substr(x + 1), height) && width > 0 && height > 0 && width <= 8192 && height <= 8192;
}

// Choices as an error names them: in order, numbers by their value, "a, b or c".
std::string ChoicesText(std::vector<std::string> words)
{
    std::sort(words.begin(), words.end(), [](const std::string& a, const std::string& b) {
        const bool numbers = !a.empty() && !b.empty() && std::isdigit(static_cast<unsigned char>(a[0])) &&
                             std::isdigit(static_cast<unsigned char>(b[0]));
        return numbers ? std::atoi(a.c_str()) < std::atoi(b.c_str()) : a < b;
    });
    std::string text;
    for (size_t k = 0; k < words.size(); ++k)
        text += (k == 0 ? "" : k + 1 == words.size() ? " or " : ", ") + words[k];
    return text;
}

std::string FormatNumber(double number)
{
    return std::to_string(static_cast<long long>(number));
}

bool Accepts(const CommandOption& option, const std::string& value)
{
    const auto isWord = [&option](const std::string& text) {
        return std::find(option.words.begin(), option.words.end(), text) != option.words.end();
    };
    switch (option.value) {
    case OptionValue::None:
    case OptionValue::Text:
        return true;
    case OptionValue::WholeNumber: {
        int number = 0;
        return ParseWholeNumber(value, number) && number >= option.low && number <= option.high;
    }
    case OptionValue::Decimal: {
        double number = 0;
        return ParseDecimal(value, number) && (option.lowExcluded ? number > option.low : number >= option.low) &&
               number <= option.high;
    }
    case OptionValue::Choice:
        return isWord(value);
    case OptionValue::Size:
        return isWord(value) || IsSize(value);
    case OptionValue::ByteSize: {
        long long bytes = 0;
        return ParseByteSize(value, bytes);
    }
    case OptionValue::FourCharacterCode:
        return value.size() == 4;
    }
    return false;
}

// The option a command takes by that name. A batch also takes convert's options, to pass
// them on.
const CommandOption* Lookup(const std::string& name, unsigned command)
{
    if (const CommandOption* own = FindOption(name, command))
        return own;
    if (command == kBatchCommand)
        return FindOption(name, kConvertCommand);
    return nullptr;
}

// A conversion option that another command names only to refuse it, with the reason.
std::string Refusal(const std::string& name, unsigned command)
{
    const CommandOption* convertOption = FindOption(name, kConvertCommand);
    if (!convertOption)
        return {};
    if (command == kExportCommand)
        return convertOption->exportRefusal;
    if (command == kBatchCommand && !FindOption(name, kBatchCommand))
        return convertOption->batchRefusal;
    return {};
}

} // namespace

const CommandOption* FindOption(const std::string& name, unsigned command)
{
    for (const CommandOption& option : CommandOptions())
        if ((option.commands & command) && (option.name == name || (!option.alias.empty() && option.alias == name)))
            return &option;
    return nullptr;
}

std::string ValueNameOf(const CommandOption& option)
{
    if (option.value != OptionValue::Choice || !option.valueName.empty())
        return option.valueName;
    std::string name;
    for (const std::string& word : option.words)
        name += (name.empty() ? "" : "|") + word;
    return name;
}

std::string OptionValueError(const CommandOption& option, const std::string& value, const std::string& given)
{
    if (Accepts(option, value))
        return {};
    std::string takes = option.takes;
    if (takes.empty() && option.value == OptionValue::WholeNumber)
        takes = "a whole number from " + FormatNumber(option.low) + " to " + FormatNumber(option.high);
    else if (takes.empty())
        takes = ChoicesText(option.words);
    return (given.empty() ? option.name : given) + " takes " + takes + ", not \"" + value + "\"";
}

std::string OptionHelpLines(HelpGroup group)
{
    std::string lines;
    for (const CommandOption& option : CommandOptions()) {
        if (option.group != group)
            continue;
        const std::string valueName = ValueNameOf(option);
        std::string line = "  " + (option.alias.empty() ? "" : option.alias + ", ") + option.name +
                           (valueName.empty() ? "" : " " + valueName);
        line.resize(line.size() + 1 <= kDescriptionColumn ? kDescriptionColumn : std::max(kWideDescriptionColumn, line.size() + 1),
                    ' ');
        size_t start = 0;
        for (;;) {
            const size_t end = option.help.find('\n', start);
            lines += line + option.help.substr(start, end - start) + "\n";
            if (end == std::string::npos)
                break;
            start = end + 1;
            line = std::string(kDescriptionColumn, ' ');
        }
    }
    return lines;
}

ReadArguments ReadCommandArguments(const std::vector<std::string>& args, unsigned command)
{
    ReadArguments read;
    const bool windows = command == kWindowsCommand;
    bool optionsEnded = false;
    for (size_t next = 0; next < args.size(); ++next) {
        const std::string& arg = args[next];
        // After "--" every argument is a name, so that a deck called "-talk.odp" can be given.
        if (optionsEnded || arg.empty() || arg[0] != '-' || (arg == "-" && !windows)) {
            read.arguments.push_back({nullptr, arg, {}});
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        // --option=value is the same as --option value.
        std::string given = arg;
        std::optional<std::string> attached;
        const size_t equals = arg.find('=');
        if (!windows && arg.rfind("--", 0) == 0 && equals != std::string::npos) {
            given = arg.substr(0, equals);
            attached = arg.substr(equals + 1);
        }
        const CommandOption* option = Lookup(given, command);
        if (const std::string refusal = Refusal(given, command); !refusal.empty())
            read.error = refusal;
        else if (!option)
            read.error = "unknown option " + arg;
        else if (option->value == OptionValue::None && attached)
            read.error = given + " takes no value";
        else if (option->value != OptionValue::None && !attached && next + 1 >= args.size())
            read.error = given + " needs a value";
        if (!read.error.empty())
            return read;
        ReadArgument argument{option, given, {}};
        if (option->value != OptionValue::None) {
            argument.value = attached ? *attached : args[++next];
            read.error = OptionValueError(*option, argument.value, given);
            if (!read.error.empty())
                return read;
        }
        read.arguments.push_back(argument);
    }
    return read;
}
