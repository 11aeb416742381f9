// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/command_options.h"

#include "core/byte_size_text.h"
#include "core/output_formats.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>

// Each row of the table names only the fields its option uses; the others keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

constexpr unsigned kConversion = kConvertCommand | kExportCommand;
constexpr unsigned kEveryCommand = kWindowsCommand | kConvertCommand | kExportCommand | kBatchCommand;

// Where a description starts; a longer name and value push it to the usage lines' column.
constexpr size_t kDescriptionColumn = 26;
constexpr size_t kWideDescriptionColumn = 51;

std::vector<CommandOption> MakeTable()
{
    using V = OptionValue;
    using S = HelpGroup;
    std::vector<CommandOption> t;
    const auto add = [&t](CommandOption option) { t.push_back(std::move(option)); };
    const auto flag = [&add](const char* name, unsigned commands, S group, const char* help) {
        add({.name = name, .commands = commands, .group = group, .help = help});
    };

    add({.name = "--help", .alias = "-h", .commands = kEveryCommand});
    add({.name = "--version", .commands = kWindowsCommand | kConversion});
    // The toolkit's own options, which the windows' application object reads itself.
    for (const char* name : {"-platform", "-display", "-style", "-stylesheet", "-geometry", "-qwindowgeometry"})
        add({.name = name, .commands = kWindowsCommand, .value = V::Text});
    add({.name = "-reverse", .commands = kWindowsCommand});

    add({.name = "--output", .alias = "-o", .commands = kConversion, .value = V::Text, .valueName = "OUTPUT",
         .batchRefusal = "a batch names each deck's outputs itself: give the folder with -O and the formats with "
                         "--formats"});

    // Recording (convert).
    add({.name = "--latency", .commands = kConversion, .value = V::WholeNumber, .valueName = "MS", .low = 100,
         .high = 600000, .group = S::Recording, .help = "time between slide actions [5000]"});
    flag("--cursor", kConversion, S::Recording, "draw the pointer into the frames");
    flag("--audio", kConversion, S::Recording, "record the sound the computer plays");
    add({.name = "--audio-source", .commands = kConversion, .value = V::Text, .valueName = "NAME",
         .group = S::Recording, .help = "record another sound server source (e.g. a microphone)"});
    add({.name = "--capture", .commands = kConversion, .value = V::Choice, .valueName = "WxH",
         .words = {"595x466", "1280x720", "1920x1080"}, .group = S::Recording,
         .help = "595x466, 1280x720 or 1920x1080 [595x466]"});
    add({.name = "--fps", .commands = kConvertCommand, .value = V::Decimal, .valueName = "N", .low = 1, .high = 60,
         .takes = "a frame rate from 1 to 60 (e.g. 30 or 12.5)", .group = S::Recording,
         .help = "frames a second, 1 to 60, decimals allowed [6.67: one every 150 ms]",
         .exportRefusal = "--realtime and --fps belong to convert: an export keeps the recording's frame rate"});
    add({.name = "--realtime", .commands = kConvertCommand, .group = S::Recording,
         .help = "record on the wall clock, as the windows do; without it (and\n"
                 "without --audio) the show runs on the recorder's own clock: every\n"
                 "frame shows exactly its moment, as fast as the machine draws it, the\n"
                 "capture size needs no screen of that size, and no pointer is drawn",
         .exportRefusal = "--realtime and --fps belong to convert: an export keeps the recording's frame rate"});
    flag("--fast", kConversion, S::Recording, "the same as the default; kept for older scripts");
    add({.name = "--headless", .commands = kConversion, .group = S::Recording,
         .help = "use a private display even when DISPLAY is set",
         // Every deck of a batch has a display of its own anyway.
         .inBatch = InBatch::Ignored});
    add({.name = "--keep-recording", .commands = kConvertCommand, .value = V::Text, .valueName = "DIR",
         .group = S::Recording, .help = "keep the recording in DIR (new or empty) for export",
         .batchRefusal = "--keep-recording keeps one deck's recording: use convert for it",
         .exportRefusal = "--keep-recording belongs to convert: export reads a kept recording"});
    flag("--strict-fonts", kConversion, S::Recording, "stop before recording when the deck names a font that is missing");
    add({.name = "--allow-remote-content", .commands = kConvertCommand, .group = S::Recording,
         .help = "let LibreOffice and the show fetch the pictures the deck links on\n"
                 "the network; without it nothing is fetched, such a picture is drawn\n"
                 "as a missing link and a warning names it",
         .exportRefusal = "--allow-remote-content belongs to convert: an export shows no deck"});
    add({.name = "--max-minutes", .commands = kConvertCommand, .value = V::Decimal, .valueName = "N", .low = 0,
         .high = 1440, .lowExcluded = true, .takes = "a number of minutes above 0 and up to 1440 (e.g. 90 or 0.5)",
         .group = S::Recording,
         .help = "let the recording run up to N minutes (decimals allowed, at most\n"
                 "1440) [9999 slots: 25 minutes at 150 ms]; a show still running at\n"
                 "the limit is cut there, reported, and the run exits with 1",
         .exportRefusal = "--max-minutes belongs to convert: an export writes the whole recording"});
    add({.name = "--timings", .commands = kConvertCommand, .value = V::Choice, .words = {"deck", "latency"},
         .group = S::Recording,
         .help = "a slide the deck advances by itself after a set time moves on\n"
                 "at that time, or every step waits for the latency [deck]",
         .exportRefusal = "--timings belongs to convert: an export keeps the recording's slide times"});

    // Outputs.
    add({.name = "--size", .commands = kConversion, .value = V::Size, .valueName = "WxH|original",
         .words = {"original"}, .takes = "WIDTHxHEIGHT (e.g. 640x480) or original", .group = S::Outputs,
         .help = "output size [560 wide, the recording's shape]"});
    add({.name = "--colors", .commands = kConversion, .value = V::Choice, .words = {"256", "gray"},
         .group = S::Outputs, .help = "GIF colours [256]"});
    add({.name = "--dither", .commands = kConversion, .value = V::Choice, .words = {"nearest", "floyd-steinberg"},
         .group = S::Outputs, .help = "GIF colour mapping [nearest]"});
    add({.name = "--gif-mode", .commands = kConversion, .value = V::Choice, .words = {"smaller", "best"},
         .group = S::Outputs, .help = "difference frames or whole frames [smaller]"});
    flag("--gif-hifi", kConversion, S::Outputs, "high-fidelity GIF colours");
    add({.name = "--gif-tolerance", .commands = kConversion, .value = V::WholeNumber, .valueName = "D", .low = 0,
         .high = 64, .group = S::Outputs,
         .help = "High Fidelity, a shown colour may differ from the true one by up\n"
                 "to D (0..64; distance sqrt((2dR^2 + 4dG^2 + 3dB^2) / 9), a grey step\n"
                 "of D levels is D): fewer bytes, 0 exact [0]"});
    add({.name = "--gif-max-size", .commands = kConversion, .value = V::ByteSize, .valueName = "SIZE",
         .takes = "a size such as 8M, 500k or 120000 (bytes)", .group = S::Outputs,
         .help = "the best GIF that fits SIZE (8M, 500k, bytes without suffix; k, M\n"
                 "are 1000s): tries tolerances, then fewer colours, then the smaller\n"
                 "sizes of the list, and says what it chose; no file when none fits"});
    add({.name = "--encoder", .commands = kConversion, .value = V::FourCharacterCode, .valueName = "CODE",
         .takes = "a four-character code such as DIVX or H264", .group = S::Outputs,
         .help = "video encoder by its four-character code (e.g. DIVX, H264, VP90)"});
    add({.name = "--quality", .commands = kConversion, .value = V::WholeNumber, .valueName = "0..10000", .low = 0,
         .high = 10000, .group = S::Outputs, .help = "video quality [4000]"});
    add({.name = "--bits", .commands = kConversion, .value = V::Choice, .words = {"1", "4", "8", "24", "32"},
         .group = S::Outputs, .help = "video colour depth [24]"});
    flag("--captions", kConversion, S::Outputs, "add the speaker notes as a subtitle track to MP4, WebM and MKV");
    flag("--allow-missing-frames", kConversion, S::Outputs,
         "export: write a recording whose frame files are not all there,\n"
         "each missing slot repeating the one before (a warning, not an error)");
    // A batch has a --progress of its own and asks its conversions for their events itself.
    add({.name = "--progress", .commands = kConversion, .value = V::Choice, .words = {"json", "text"},
         .group = S::Outputs,
         .help = "json: one JSON event a line on stdout (start, progress, output,\n"
                 "done, failed with its reason) and no other output there [text]"});
    flag("--quiet", kConversion, S::Outputs, "print errors only");
    t.back().alias = "-q";

    // Batch.
    add({.name = "--output-dir", .alias = "-O", .commands = kBatchCommand, .value = V::Text, .valueName = "DIR",
         .group = S::Batch, .help = "where the outputs go; logs go to DIR/logs/NAME.log"});
    add({.name = "--list", .commands = kBatchCommand, .value = V::Text, .valueName = "FILE", .group = S::Batch,
         .help = "decks from FILE: one path a line, blank lines and lines starting\n"
                 "with # left out, relative paths taken from FILE's folder"});
    add({.name = "--formats", .commands = kBatchCommand, .value = V::Text, .valueName = "LIST", .group = S::Batch,
         .help = "comma-separated " + OutputExtensionsText("", ", ", ", ") + " [mp4]"});
    add({.name = "--jobs", .alias = "-j", .commands = kBatchCommand, .value = V::WholeNumber, .valueName = "N",
         .low = 1, .high = 256, .group = S::Batch,
         .help = "conversions at once [min(processors, available memory / 1.5 GB),\n"
                 "at least 1]"});
    flag("--force", kBatchCommand, S::Batch, "convert also decks whose outputs are up to date");
    add({.name = "--deck-timeout", .commands = kBatchCommand, .value = V::WholeNumber, .valueName = "SECONDS",
         .low = 1, .high = 7 * 24 * 3600, .group = S::Batch,
         .help = "stop a deck's conversion after this long and report it as failed"});
    add({.name = "--progress", .commands = kBatchCommand, .value = V::Choice, .words = {"json", "text"},
         .group = S::Batch,
         .help = "json: one JSON event a line on stdout (start, progress, output,\n"
                 "done, failed with its reason, skipped, and a last summary) [text]"});
    add({.name = "--only", .commands = kBatchCommand, .value = V::WholeNumber, .valueName = "N", .low = 1,
         .high = 1000000, .group = S::Batch,
         .help = "only the N-th deck of the batch (a cluster job array's task)"});
    flag("--quiet", kBatchCommand, S::Batch, "no progress lines; the summary still comes");
    t.back().alias = "-q";
    return t;
}

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

const std::vector<CommandOption>& CommandOptions()
{
    static const std::vector<CommandOption> table = MakeTable();
    return table;
}

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
