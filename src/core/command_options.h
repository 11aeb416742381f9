// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every option of the command line, once: its names, the value it takes and how that value is
// checked, the commands that take it and its lines in --help. The parser of each command, its
// help, its usage errors and batch's passing on of convert's options all read this table, so
// that an option is added in one place.

#include <optional>
#include <string>
#include <vector>

// The commands an option belongs to (a set of these bits).
enum OptionCommand : unsigned {
    kWindowsCommand = 1,
    kConvertCommand = 2,
    kExportCommand = 4,
    kBatchCommand = 8,
};

enum class OptionValue {
    None,        // a flag
    WholeNumber, // low..high
    Decimal,     // low (or above it, lowExcluded) ..high, decimals allowed
    Choice,      // one of words
    Size,        // WIDTHxHEIGHT with sides 1..8192, or one of words
    ByteSize,    // 8M, 500k, 120000
    FourCharacterCode,
    Text,        // anything: a name, a path
};

// Where --help lists an option; None: not listed (the toolkit's options, --help itself).
enum class HelpGroup { None, Recording, Outputs, Batch };

// What batch does with a conversion option it does not refuse (batchRefusal).
enum class InBatch { PassedOn, Ignored };

struct CommandOption {
    std::string name;  // "--latency"
    std::string alias; // "-q", or empty
    unsigned commands = 0;
    OptionValue value = OptionValue::None;
    std::string valueName;          // as help shows it; empty for a choice: its words joined by |
    std::vector<std::string> words; // a choice's words (help order); a size's other words
    double low = 0;
    double high = 0;
    bool lowExcluded = false;
    // What an error says the option takes, when not the generic "a whole number from ..." or
    // the list of words.
    std::string takes;
    HelpGroup group = HelpGroup::None;
    std::string help; // its description, lines separated by \n
    InBatch inBatch = InBatch::PassedOn;
    std::string batchRefusal;  // why batch refuses it
    std::string exportRefusal; // why export refuses a convert option
};

const std::vector<CommandOption>& CommandOptions();

// The option named name (or its alias) that command takes; nullptr when none.
const CommandOption* FindOption(const std::string& name, unsigned command);

// Empty when value is one the option takes, else the usage error:
// "--latency takes a whole number from 100 to 600000, not \"fast\"".
// given: the name as written, for the message; the option's name when empty.
std::string OptionValueError(const CommandOption& option, const std::string& value, const std::string& given = {});

// "a|b" for a choice, else the value's name; empty for a flag.
std::string ValueNameOf(const CommandOption& option);

// The help's lines for the options of a group, each "  NAME VALUE" and its description in
// the description column.
std::string OptionHelpLines(HelpGroup group);

// What the arguments of a command say, in order: the options found in the table with their
// values, and the other arguments (names). "--option=value" is read as "--option value"; after
// "--" every argument is a name.
struct ReadArgument {
    const CommandOption* option = nullptr; // nullptr: a name
    std::string given;                     // the option as written (its alias, say), or the name
    std::string value;
};

struct ReadArguments {
    std::vector<ReadArgument> arguments;
    std::string error; // the first usage error: an unknown option, a missing or wrong value
};

// args after the command's own name. The windows' arguments are read as the toolkit reads
// them: no "=" form, and "-" is an option.
ReadArguments ReadCommandArguments(const std::vector<std::string>& args, unsigned command);
