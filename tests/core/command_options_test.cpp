// SPDX-License-Identifier: GPL-3.0-or-later
// The option table as each command reads it: values given both ways, names after "--", what
// a command refuses and why, each kind of value's check, and the help's columns that the
// manual page's maker reads back.
#include "core/command_options.h"

#include <sstream>
#include <gtest/gtest.h>

namespace {

// "given=value" for an option, the name for anything else.
std::vector<std::string> Read(const ReadArguments& read)
{
    std::vector<std::string> words;
    for (const ReadArgument& argument : read.arguments)
        words.push_back(argument.option && argument.option->value != OptionValue::None
                            ? argument.given + "=" + argument.value
                            : argument.given);
    return words;
}

} // namespace

TEST(CommandOptions, EachCommandReadsItsOptionsAndRefusesOthersWithTheReason)
{
    struct Case {
        std::vector<std::string> args;
        unsigned command;
        std::string error; // empty: read as `read`
        std::vector<std::string> read;
    };
    const std::vector<Case> cases = {
        {{"--latency=900", "-", "a.odp", "--", "-x", "--cursor"}, kConvertCommand, "",
         {"--latency=900", "-", "a.odp", "-x", "--cursor"}},
        {{"-q", "--size", "10X20", "--gif-max-size", "1.5MB"}, kExportCommand, "", {"-q", "--size=10X20", "--gif-max-size=1.5MB"}},
        {{"-platform", "xcb", "talk.odp"}, kWindowsCommand, "", {"-platform=xcb", "talk.odp"}},
        {{"-platform=xcb"}, kWindowsCommand, "unknown option -platform=xcb", {}},
        {{"-"}, kWindowsCommand, "unknown option -", {}},
        {{"--cursor=yes"}, kConvertCommand, "--cursor takes no value", {}},
        {{"--latency"}, kConvertCommand, "--latency needs a value", {}},
        {{"--bogus=1"}, kConvertCommand, "unknown option --bogus=1", {}},
        {{"--jobs", "2"}, kConvertCommand, "unknown option --jobs", {}},
        {{"--fps", "30"}, kExportCommand, "--realtime and --fps belong to convert: an export keeps the recording's frame rate", {}},
        {{"--keep-recording", "k"}, kBatchCommand, "--keep-recording keeps one deck's recording: use convert for it", {}},
        {{"-j", "3", "--latency", "900", "-q"}, kBatchCommand, "", {"-j=3", "--latency=900", "-q"}},
        {{"-j", "0"}, kBatchCommand, "-j takes a whole number from 1 to 256, not \"0\"", {}},
        {{"--quality", "10001"}, kConvertCommand, "--quality takes a whole number from 0 to 10000, not \"10001\"", {}},
        {{"--bits", "16"}, kConvertCommand, "--bits takes 1, 4, 8, 24 or 32, not \"16\"", {}},
        {{"--dither", "x"}, kConvertCommand, "--dither takes floyd-steinberg or nearest, not \"x\"", {}},
        {{"--capture", "800x600"}, kConvertCommand, "--capture takes 595x466, 1280x720 or 1920x1080, not \"800x600\"", {}},
        {{"--fps", "inf"}, kConvertCommand, "--fps takes a frame rate from 1 to 60 (e.g. 30 or 12.5), not \"inf\"", {}},
        {{"--max-minutes", "0"}, kConvertCommand, "--max-minutes takes a number of minutes above 0", {}},
        {{"--size", "8193x10"}, kConvertCommand, "--size takes WIDTHxHEIGHT (e.g. 640x480) or original", {}},
        {{"--encoder", "H2645"}, kConvertCommand, "--encoder takes a four-character code", {}},
    };
    for (const Case& c : cases) {
        const ReadArguments read = ReadCommandArguments(c.args, c.command);
        SCOPED_TRACE(c.args.front());
        if (c.error.empty()) {
            EXPECT_EQ(read.error, "");
            EXPECT_EQ(Read(read), c.read);
        } else {
            EXPECT_EQ(read.error.rfind(c.error, 0), 0u) << read.error;
        }
    }
}

// Every option line starts its description in one of the two columns, its other lines in the
// first: the manual page and the completion are read back from these columns.
TEST(CommandOptions, HelpLinesKeepTheDescriptionColumns)
{
    int options = 0;
    for (const HelpGroup group : {HelpGroup::Recording, HelpGroup::Outputs, HelpGroup::Batch}) {
        std::istringstream lines(OptionHelpLines(group));
        for (std::string line; std::getline(lines, line);) {
            SCOPED_TRACE(line);
            if (line.rfind("  -", 0) == 0) {
                ++options;
                const size_t column = line.size() > 26 && line[25] == ' ' && line[26] != ' ' ? 26 : 51;
                ASSERT_GT(line.size(), column);
                EXPECT_EQ(line[column - 1], ' ');
                EXPECT_NE(line[column], ' ');
            } else {
                EXPECT_EQ(line.find_first_not_of(' '), 26u);
            }
        }
    }
    EXPECT_GE(options, 35);
}
