// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// `deckrec --help` and `deckrec batch --help` read back into their parts, so that the manual
// page and the shell completion are made from the very text the program prints and cannot
// tell a different story. The help is written for people, so this reads it the way a person
// does: blocks between blank lines, option lines with their description in a column, and
// anything that fits none of its shapes stops the build rather than go missing.

#include <stdexcept>
#include <string>
#include <vector>

struct HelpOption {
    std::vector<std::string> names; // "-q", "--quiet"
    std::string value;              // "MS", "256|gray", "0..10000"; empty for a flag
    std::string text;               // the description, its lines joined
};

struct HelpSection {
    std::string title; // "Recording (convert)"; empty for a list without a heading
    std::vector<HelpOption> options;
    std::vector<std::string> notes; // indented lines among the options that describe none
};

// "deckrec convert DECK -o OUTPUT [-o OUTPUT ...] [options]" and what the help says beside it.
struct UsageLine {
    std::string form;
    std::string note;
};

struct ExitCode {
    int code = 0;
    std::string meaning;
};

struct HelpText {
    std::vector<UsageLine> usage;
    std::vector<std::string> usageNotes; // "(after --, ...)" lines of the usage, without parentheses
    std::vector<std::string> intro;      // paragraphs before the first option list
    std::vector<HelpSection> sections;
    std::vector<std::string> outro;      // paragraphs after it
    std::vector<ExitCode> exitCodes;
};

struct HelpTextError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Throws HelpTextError naming the line it cannot place.
HelpText ParseHelpText(const std::string& text);

// The word after "deckrec" when it names a subcommand ("convert"); empty otherwise.
std::string SubcommandOf(const UsageLine& line);

// Options a usage form names: "-o", "--list", "-O", "--formats", "--help" ...
std::vector<std::string> OptionsInForm(const std::string& form);

// The values an option takes when the help lists them all: "256|gray", a description that
// starts "595x466, 1280x720 or 1920x1080", or "comma-separated gif, avi, ..." (several at once).
struct OptionChoices {
    std::vector<std::string> values;
    bool commaSeparated = false;
};
OptionChoices ChoicesOf(const HelpOption& option);

// A value alternative written as it is typed ("256", "floyd-steinberg"), not a placeholder
// ("WxH", "N", "0..10000").
bool IsLiteralValue(const std::string& value);

// The words of text, split at white space.
std::vector<std::string> Words(const std::string& text);
