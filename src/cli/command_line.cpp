// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/command_line.h"

#include "core/byte_size_text.h"
#include "core/command_options.h"
#include "core/deck_files.h"
#include "core/output_formats.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>

#ifndef DECKREC_VERSION
#define DECKREC_VERSION "0"
#endif

namespace {

double ParseDecimal(const std::string& text)
{
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

OutputSize SizeOf(const std::string& text)
{
    OutputSize size;
    if (text == "original") {
        size.kind = OutputSize::Kind::Original;
        return size;
    }
    size.kind = OutputSize::Kind::Exact;
    size.width = std::stoi(text);
    size.height = std::stoi(text.substr(text.find_first_of("xX") + 1));
    return size;
}

// How each option of convert and export sets the conversion; what it may be given is the
// option table's (core/command_options.cpp).
using Setter = std::function<void(CommandLine&, const std::string&)>;

const std::map<std::string, Setter>& Setters()
{
    const auto choice = [](bool CommandLine::*field, const char* whenTrue) {
        return [field, whenTrue](CommandLine& c, const std::string& value) { c.*field = value == whenTrue; };
    };
    const auto on = [](bool CommandLine::*field) { return [field](CommandLine& c, const std::string&) { c.*field = true; }; };
    static const std::map<std::string, Setter> setters = {
        {"--output", [](CommandLine& c, const std::string& v) { c.outputs.push_back(v); }},
        {"--latency", [](CommandLine& c, const std::string& v) { c.latencyMs = std::stoi(v); }},
        {"--cursor", on(&CommandLine::cursor)},
        {"--audio", on(&CommandLine::audio)},
        {"--audio-source", [](CommandLine& c, const std::string& v) { c.audioSource = v; c.audio = true; }},
        {"--capture",
         [](CommandLine& c, const std::string& v) {
             c.capture = CaptureSize{std::stoi(v), std::stoi(v.substr(v.find('x') + 1))};
         }},
        {"--fps", [](CommandLine& c, const std::string& v) { c.framesPerSecond = ParseDecimal(v); }},
        {"--realtime", on(&CommandLine::realtime)},
        {"--fast", on(&CommandLine::fast)},
        {"--headless", on(&CommandLine::headless)},
        {"--keep-recording", [](CommandLine& c, const std::string& v) { c.keepRecording = v; }},
        {"--strict-fonts", on(&CommandLine::strictFonts)},
        {"--allow-remote-content", on(&CommandLine::allowRemoteContent)},
        {"--max-minutes", [](CommandLine& c, const std::string& v) { c.maxMinutes = ParseDecimal(v); }},
        {"--timings", choice(&CommandLine::deckTimings, "deck")},
        {"--narrate", on(&CommandLine::narrate)},
        {"--narration", [](CommandLine& c, const std::string& v) { c.narrationFolder = v; }},
        {"--narration-gap", [](CommandLine& c, const std::string& v) { c.narrationGapSeconds = ParseDecimal(v); }},
        // A voice asked for is a voice to read the notes.
        {"--voice", [](CommandLine& c, const std::string& v) { c.voice = v; c.narrate = true; }},
        {"--tts-command", [](CommandLine& c, const std::string& v) { c.ttsCommand = v; c.narrate = true; }},
        {"--size", [](CommandLine& c, const std::string& v) { c.size = SizeOf(v); }},
        {"--colors", choice(&CommandLine::grayScale, "gray")},
        {"--dither", choice(&CommandLine::floydSteinberg, "floyd-steinberg")},
        {"--gif-mode", choice(&CommandLine::gifBestQuality, "best")},
        {"--gif-hifi", on(&CommandLine::gifHighFidelity)},
        // A tolerance turns High Fidelity on.
        {"--gif-tolerance", [](CommandLine& c, const std::string& v) { c.gifTolerance = std::stoi(v); c.gifHighFidelity = true; }},
        {"--gif-max-size", [](CommandLine& c, const std::string& v) { ParseByteSize(v, c.gifMaxBytes); }},
        {"--encoder", [](CommandLine& c, const std::string& v) { c.encoder = v; }},
        {"--quality", [](CommandLine& c, const std::string& v) { c.quality = std::stoi(v); }},
        {"--bits", [](CommandLine& c, const std::string& v) { c.bits = std::stoi(v); }},
        {"--captions", on(&CommandLine::captions)},
        {"--allow-missing-frames", on(&CommandLine::allowMissingFrames)},
        {"--progress", choice(&CommandLine::jsonProgress, "json")},
        {"--quiet", on(&CommandLine::quiet)},
    };
    return setters;
}

class Parser {
public:
    explicit Parser(const std::vector<std::string>& args) : args_(args) {}

    ParsedCommandLine Run()
    {
        ParsedCommandLine parsed;
        CommandLine& c = parsed.command;
        unsigned command = kWindowsCommand;
        if (!args_.empty() && (args_[0] == "convert" || args_[0] == "export")) {
            c.command = args_[0] == "convert" ? Command::Convert : Command::Export;
            command = c.command == Command::Convert ? kConvertCommand : kExportCommand;
            args_.erase(args_.begin());
        }
        const ReadArguments read = ReadCommandArguments(args_, command);
        for (const ReadArgument& argument : read.arguments) {
            if (!error_.empty())
                break;
            if (!argument.option)
                Name(c, argument.given);
            else if (argument.option->name == "--help")
                c.command = Command::Help;
            else if (argument.option->name == "--version")
                c.command = Command::Version;
            else if (const auto setter = Setters().find(argument.option->name); setter != Setters().end())
                setter->second(c, argument.value);
            // The toolkit's options the windows' application object reads itself; a conversion
            // option of the table that sets nothing here would pass for taken.
            else if (command != kWindowsCommand)
                Fail("unknown option " + argument.given);
        }
        // The reader stops at its error: every argument it read came before it.
        if (!read.error.empty())
            Fail(read.error);
        if (error_.empty() && (c.command == Command::Convert || c.command == Command::Export))
            CheckConversion(c);
        parsed.error = error_;
        return parsed;
    }

private:
    // The deck or the recording folder.
    void Name(CommandLine& c, const std::string& arg)
    {
        if (c.input.empty())
            c.input = arg;
        else if (c.command == Command::Windows)
            Fail("only one deck can be opened at a time");
        else
            Fail("unexpected argument " + arg + " (outputs are given with -o)");
    }

    void CheckConversion(const CommandLine& c)
    {
        const char* what = c.command == Command::Convert ? "a deck" : "a recording folder";
        if (c.input.empty())
            return Fail(std::string("name ") + what + " to " + (c.command == Command::Convert ? "convert" : "export"));
        if (c.outputs.empty())
            return Fail("name at least one output with -o FILE");
        if (c.fast && c.audio)
            return Fail("--fast cannot record sound: a fast run does not play in real time");
        if (c.fast && c.realtime)
            return Fail("--fast and --realtime ask for opposite things: choose one");
        if (const std::string error = NarrationUsageError(c); !error.empty())
            return Fail(error);
        if (c.command == Command::Convert && !IsDeckFile(c.input))
            return Fail("cannot convert " + c.input + ": decks are " + DeckExtensionsText() + " files");
        for (const std::string& output : c.outputs)
            if (!OutputFormatOf(output))
                return Fail("cannot write " + output + ": outputs are " + OutputExtensionsText(".", ", ", " or ") +
                            " files");
        // An export leaves the kept recording as it is: nothing is written into its folder.
        if (c.command == Command::Export) {
            std::filesystem::path folder(SameFileKey(c.input));
            if (folder.filename().empty())
                folder = folder.parent_path(); // "dir/"
            for (const std::string& output : c.outputs)
                if (std::filesystem::path(SameFileKey(output)).parent_path() == folder)
                    return Fail("cannot write " + output + ": export never writes into the recording's folder " + c.input);
        }
        // One file named twice, also by different paths (./a.gif, a link to the folder): the
        // second export would replace the first.
        std::vector<std::pair<std::string, std::string>> files;
        for (const std::string& output : c.outputs)
            files.emplace_back(SameFileKey(output), output);
        std::sort(files.begin(), files.end());
        for (size_t i = 1; i < files.size(); ++i)
            if (files[i].first == files[i - 1].first)
                return Fail(files[i - 1].second == files[i].second
                                ? "the same output is named twice: " + files[i].second
                                : "the same output is named twice: " + files[i - 1].second + " and " + files[i].second);
    }

    // A narration makes the sound track and draws the frames on the show's clock itself.
    static std::string NarrationUsageError(const CommandLine& c)
    {
        if (!Narrates(c))
            return "";
        if (c.audio)
            return "--narrate and --narration make the sound track themselves: they cannot also record the "
                   "computer's sound (--audio)";
        if (c.realtime)
            return "--narrate and --narration draw the frames on the show's own clock: they cannot record on the "
                   "wall clock (--realtime)";
        return "";
    }

    // The path with links, "." and ".." resolved as far as it exists.
    static std::string SameFileKey(const std::string& path)
    {
        std::error_code ec;
        const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
        if (ec)
            return path;
        const std::filesystem::path resolved = std::filesystem::weakly_canonical(absolute, ec);
        return ec ? absolute.lexically_normal().string() : resolved.string();
    }

    void Fail(const std::string& message)
    {
        if (error_.empty())
            error_ = message;
    }

    std::vector<std::string> args_;
    std::string error_;
};

} // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args)
{
    return Parser(args).Run();
}

std::string ConvertUsageError(const std::vector<std::string>& args)
{
    const ParsedCommandLine parsed = ParseCommandLine(args);
    if (!parsed.error.empty())
        return parsed.error;
    return parsed.command.command == Command::Convert ? "" : "unexpected option among the conversion options";
}

int SlotLimitOf(const CommandLine& c)
{
    if (!(c.maxMinutes > 0))
        return kDefaultSlotLimit;
    const double period = FramePeriodOfRate(c.framesPerSecond);
    const double slots = std::ceil(c.maxMinutes * 60000.0 / period);
    const double most = static_cast<double>(MostSlotsARecordingCanHold(period));
    return static_cast<int>(std::min(std::max(slots, 1.0), most)) + 1;
}

std::string VersionText()
{
    return std::string("deckrec ") + DECKREC_VERSION + "\n";
}

DeckTextOutput DeckTextOutputOf(const std::string& path)
{
    const std::optional<OutputFormat> format = OutputFormatOf(path);
    if (!format)
        return DeckTextOutput::None;
    switch (format->kind) {
    case OutputKind::ChapterList:
        return DeckTextOutput::ChapterList;
    case OutputKind::WebVtt:
        return DeckTextOutput::WebVtt;
    case OutputKind::SubRip:
        return DeckTextOutput::SubRip;
    case OutputKind::Gif:
    case OutputKind::Video:
        break;
    }
    return DeckTextOutput::None;
}

std::string UsageErrorText(const std::string& error)
{
    return "deckrec: " + error + "\n\n" + ShortUsageText() + "\nSee deckrec --help for the options.\n";
}

std::string ShortUsageText()
{
    const std::string usage = UsageText();
    return usage.substr(0, usage.find("\n\n") + 1);
}

std::string UsageText()
{
    return std::string(R"(Usage:
  deckrec [DECK]                                   open the windows, with DECK chosen
  deckrec convert DECK -o OUTPUT [-o OUTPUT ...] [options]
  deckrec export RECORDING_DIR -o OUTPUT [-o OUTPUT ...] [options]
  deckrec batch DECK... | --list FILE  -O OUTDIR [--formats mp4,gif] [options]
                                                   (see deckrec batch --help)
  deckrec --help | --version
  (after --, every argument is a deck, folder or file name, even one starting with -)

convert plays DECK (.ppt .pptx .pps .ppsx .odp .fodp) with Auto Record and writes every
OUTPUT from one recording; export writes new outputs from a recording kept with
--keep-recording. The format follows the extension: )" + OutputExtensionsText(".", " ", " ", true) + R"(.

Recording (convert):
)" + OptionHelpLines(HelpGroup::Recording) + R"(
Outputs:
)" + OptionHelpLines(HelpGroup::Outputs) + R"(
MP4, WebM and MKV outputs get a chapter per slide, named by its title. Text outputs:
NAME.chapters.txt (a chapter list for a video site's description), NAME.vtt and NAME.srt
(captions from the speaker notes).

Narration (--narrate, --narration DIR): each slide stays on screen while its notes are read
(or its take plays) and --narration-gap after that; slides without either keep --latency
for each step. Write [click] in the notes where the slide's next build should come:
"Our plan. [click] First, the costs." runs the next click step as the voice reaches the
marker. Builds without a marker of their own are spread evenly over what is said after the
last marker; a marker past the slide's last build is ignored with a warning, and what follows
it is still said on that slide (the slide moves on when its narration ends). The captions
follow what is said, a sentence at a time, and each chapter starts with its slide's
narration; the deck's own slide timings are not used.

Exit status: 0 every output written, 1 a failure while running, 2 a usage error,
130 interrupted.
)");
}
