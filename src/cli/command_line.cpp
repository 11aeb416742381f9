// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/command_line.h"

#include "core/deck_files.h"
#include "gif/colour_tolerance.h"
#include "gif/gif_budget.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <functional>
#include <map>

#ifndef DECKREC_VERSION
#define DECKREC_VERSION "0"
#endif

namespace {

bool ParseInt(const std::string& text, int& value)
{
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return !text.empty() && result.ec == std::errc() && result.ptr == end;
}

// "WxH" with both sides in 1..8192.
bool ParseSize(const std::string& text, int& width, int& height)
{
    const size_t x = text.find_first_of("xX");
    if (x == std::string::npos)
        return false;
    return ParseInt(text.substr(0, x), width) && ParseInt(text.substr(x + 1), height) && width > 0 && height > 0 &&
           width <= 8192 && height <= 8192;
}

// convert's and export's options that take a value.
const std::vector<std::string> kValueOptions = {
    "-o",         "--output",      "--latency",       "--audio-source", "--capture", "--size",
    "--colors",   "--dither",      "--gif-mode",      "--gif-tolerance", "--gif-max-size", "--encoder",
    "--quality",  "--bits",        "--keep-recording", "--fps",         "--max-minutes", "--timings",
};

// Qt options the windows pass on to the application object, and whether each takes a value.
const std::map<std::string, bool>& ToolkitOptions()
{
    static const std::map<std::string, bool> options = {
        {"-platform", true}, {"-display", true}, {"-style", true},       {"-stylesheet", true},
        {"-geometry", true}, {"-qwindowgeometry", true}, {"-reverse", false},
    };
    return options;
}

class Parser {
public:
    explicit Parser(const std::vector<std::string>& args) : args_(args) {}

    ParsedCommandLine Run()
    {
        ParsedCommandLine parsed;
        CommandLine& c = parsed.command;
        if (!args_.empty() && (args_[0] == "convert" || args_[0] == "export")) {
            c.command = args_[0] == "convert" ? Command::Convert : Command::Export;
            ++next_;
        }
        while (next_ < args_.size() && error_.empty()) {
            const std::string arg = args_[next_++];
            // After "--" every argument is a name, so that a deck called "-talk.odp" can be given.
            if (optionsEnded_)
                Name(c, arg);
            else if (arg == "--")
                optionsEnded_ = true;
            else if (arg == "--help" || arg == "-h")
                c.command = Command::Help;
            else if (arg == "--version")
                c.command = Command::Version;
            else if (c.command == Command::Windows)
                WindowsArgument(c, arg);
            else
                ConversionArgument(c, arg);
        }
        if (error_.empty() && (c.command == Command::Convert || c.command == Command::Export))
            CheckConversion(c);
        parsed.error = error_;
        return parsed;
    }

private:
    // The windows' application object reads Qt's own options (-platform ...) from the program's
    // arguments itself: they are only stepped over here.
    void WindowsArgument(CommandLine& c, const std::string& arg)
    {
        const auto toolkit = ToolkitOptions().find(arg);
        if (toolkit != ToolkitOptions().end()) {
            if (toolkit->second && next_++ >= args_.size())
                return Fail(arg + " needs a value");
        } else if (!arg.empty() && arg[0] == '-') {
            Fail("unknown option " + arg);
        } else {
            Name(c, arg);
        }
    }

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

    std::string Value(const std::string& option)
    {
        if (next_ >= args_.size()) {
            Fail(option + " needs a value");
            return {};
        }
        return args_[next_++];
    }

    void ConversionArgument(CommandLine& c, const std::string& arg)
    {
        // --option=value is the same as --option value.
        std::string option = arg;
        const size_t equals = arg.find('=');
        if (arg.rfind("--", 0) == 0 && equals != std::string::npos) {
            option = arg.substr(0, equals);
            args_.insert(args_.begin() + static_cast<long>(next_), arg.substr(equals + 1));
        }
        const std::map<std::string, std::function<void()>> flags = {
            {"--cursor", [&] { c.cursor = true; }},          {"--audio", [&] { c.audio = true; }},
            {"--quiet", [&] { c.quiet = true; }},            {"-q", [&] { c.quiet = true; }},
            {"--fast", [&] { c.fast = true; }},              {"--headless", [&] { c.headless = true; }},
            {"--realtime", [&] { c.realtime = true; }},
            {"--gif-hifi", [&] { c.gifHighFidelity = true; }},
            {"--strict-fonts", [&] { c.strictFonts = true; }},
            {"--captions", [&] { c.captions = true; }},
            {"--allow-missing-frames", [&] { c.allowMissingFrames = true; }},
            {"--allow-remote-content", [&] { c.allowRemoteContent = true; }},
        };
        if (const auto flag = flags.find(option); flag != flags.end()) {
            if (option != arg)
                return Fail(option + " takes no value");
            return flag->second();
        }
        if (option == "-o" || option == "--output")
            c.outputs.push_back(Value(option));
        else if (option == "--latency")
            Number(option, Value(option), 100, 600000, c.latencyMs);
        else if (option == "--audio-source") {
            c.audioSource = Value(option);
            c.audio = true;
        } else if (option == "--capture")
            Capture(c, Value(option));
        else if (option == "--size")
            Size(c, Value(option));
        else if (option == "--colors")
            Choice(option, Value(option), {{"256", false}, {"gray", true}}, c.grayScale);
        else if (option == "--dither")
            Choice(option, Value(option), {{"nearest", false}, {"floyd-steinberg", true}}, c.floydSteinberg);
        else if (option == "--gif-mode")
            Choice(option, Value(option), {{"smaller", false}, {"best", true}}, c.gifBestQuality);
        else if (option == "--gif-tolerance" || option == "--gif-max-size")
            GifBudget(c, option, Value(option));
        else if (option == "--encoder")
            Encoder(c, Value(option));
        else if (option == "--quality") {
            int quality = 0;
            if (Number(option, Value(option), 0, 10000, quality))
                c.quality = quality;
        } else if (option == "--bits")
            Bits(c, Value(option));
        else if (option == "--keep-recording")
            c.keepRecording = Value(option);
        else if (option == "--fps")
            FramesPerSecond(c, Value(option));
        else if (option == "--max-minutes")
            MaxMinutes(c, Value(option));
        else if (option == "--timings") {
            Choice(option, Value(option), {{"deck", true}, {"latency", false}}, c.deckTimings);
            timingsGiven_ = true;
        }
        else if (!arg.empty() && arg[0] == '-' && arg != "-")
            Fail("unknown option " + arg);
        else
            Name(c, arg);
    }

    bool Number(const std::string& option, const std::string& text, int low, int high, int& value)
    {
        if (!error_.empty())
            return false;
        int parsed = 0;
        if (!ParseInt(text, parsed) || parsed < low || parsed > high) {
            Fail(option + " takes a whole number from " + std::to_string(low) + " to " + std::to_string(high) +
                 ", not \"" + text + "\"");
            return false;
        }
        value = parsed;
        return true;
    }

    void Choice(const std::string& option, const std::string& text, const std::map<std::string, bool>& choices,
                bool& value)
    {
        if (!error_.empty())
            return;
        const auto found = choices.find(text);
        if (found == choices.end()) {
            std::string names;
            for (const auto& [name, unused] : choices)
                names += (names.empty() ? "" : " or ") + name;
            return Fail(option + " takes " + names + ", not \"" + text + "\"");
        }
        value = found->second;
    }

    void Capture(CommandLine& c, const std::string& text)
    {
        for (const CaptureSize size : {CaptureSize{595, 466}, CaptureSize{1280, 720}, CaptureSize{1920, 1080}})
            if (text == std::to_string(size.width) + "x" + std::to_string(size.height)) {
                c.capture = size;
                return;
            }
        if (error_.empty())
            Fail("--capture takes 595x466, 1280x720 or 1920x1080, not \"" + text + "\"");
    }

    void Size(CommandLine& c, const std::string& text)
    {
        if (text == "original") {
            c.size.kind = OutputSize::Kind::Original;
        } else if (ParseSize(text, c.size.width, c.size.height)) {
            c.size.kind = OutputSize::Kind::Exact;
        } else if (error_.empty()) {
            Fail("--size takes WIDTHxHEIGHT (e.g. 640x480) or original, not \"" + text + "\"");
        }
    }

    // 1 to 60 frames a second, decimals allowed.
    void FramesPerSecond(CommandLine& c, const std::string& text)
    {
        if (!error_.empty())
            return;
        double fps = 0;
        const char* end = text.data() + text.size();
        const auto result = std::from_chars(text.data(), end, fps);
        if (text.empty() || result.ec != std::errc() || result.ptr != end || !(fps >= 1.0 && fps <= 60.0))
            return Fail("--fps takes a frame rate from 1 to 60 (e.g. 30 or 12.5), not \"" + text + "\"");
        c.framesPerSecond = fps;
        fpsGiven_ = true;
    }

    // More than 0 minutes, at most a day; decimals allowed.
    void MaxMinutes(CommandLine& c, const std::string& text)
    {
        if (!error_.empty())
            return;
        double minutes = 0;
        const char* end = text.data() + text.size();
        const auto result = std::from_chars(text.data(), end, minutes);
        if (text.empty() || result.ec != std::errc() || result.ptr != end || !(minutes > 0 && minutes <= 1440))
            return Fail("--max-minutes takes a number of minutes above 0 and up to 1440 (e.g. 90 or 0.5), not \"" +
                        text + "\"");
        c.maxMinutes = minutes;
    }

    // The High Fidelity options of "GIFs that fit": a tolerance turns High Fidelity on.
    void GifBudget(CommandLine& c, const std::string& option, const std::string& text)
    {
        if (!error_.empty())
            return;
        if (option == "--gif-tolerance") {
            if (Number(option, text, 0, kMaxGifTolerance, c.gifTolerance))
                c.gifHighFidelity = true;
            return;
        }
        if (!ParseGifByteLimit(text, c.gifMaxBytes))
            Fail("--gif-max-size takes a size such as 8M, 500k or 120000 (bytes), not \"" + text + "\"");
    }

    void Encoder(CommandLine& c, const std::string& text)
    {
        if (error_.empty() && text.size() != 4)
            return Fail("--encoder takes a four-character code such as DIVX or H264, not \"" + text + "\"");
        c.encoder = text;
    }

    void Bits(CommandLine& c, const std::string& text)
    {
        int bits = 0;
        if (error_.empty() && (!ParseInt(text, bits) || (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)))
            return Fail("--bits takes 1, 4, 8, 24 or 32, not \"" + text + "\"");
        c.bits = bits;
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
        if (c.command == Command::Export && (c.realtime || fpsGiven_))
            return Fail("--realtime and --fps belong to convert: an export keeps the recording's frame rate");
        if (c.command == Command::Export && c.maxMinutes > 0)
            return Fail("--max-minutes belongs to convert: an export writes the whole recording");
        if (c.command == Command::Export && timingsGiven_)
            return Fail("--timings belongs to convert: an export keeps the recording's slide times");
        if (c.command == Command::Export && c.allowRemoteContent)
            return Fail("--allow-remote-content belongs to convert: an export shows no deck");
        if (c.command == Command::Export && !c.keepRecording.empty())
            return Fail("--keep-recording belongs to convert: export reads a kept recording");
        if (c.command == Command::Convert && !IsDeckFile(c.input))
            return Fail("cannot convert " + c.input + ": decks are " + DeckExtensionsText() + " files");
        for (const std::string& output : c.outputs) {
            const std::string extension = LowerExtension(output);
            if (extension != "gif" && extension != "avi" && extension != "mp4" && extension != "webm" &&
                extension != "mkv" && DeckTextOutputOf(output) == DeckTextOutput::None)
                return Fail("cannot write " + output +
                            ": outputs are .gif, .avi, .mp4, .webm, .mkv, .vtt, .srt or .chapters.txt files");
        }
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
    size_t next_ = 0;
    bool optionsEnded_ = false;
    std::string error_;
    bool fpsGiven_ = false;
    bool timingsGiven_ = false;
};

} // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args)
{
    return Parser(args).Run();
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

std::string LowerExtension(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    return extension;
}

bool ConversionOptionTakesValue(const std::string& option)
{
    return std::find(kValueOptions.begin(), kValueOptions.end(), option) != kValueOptions.end();
}

std::string VersionText()
{
    return std::string("deckrec ") + DECKREC_VERSION + "\n";
}

DeckTextOutput DeckTextOutputOf(const std::string& path)
{
    const std::string extension = LowerExtension(path);
    if (extension == "vtt")
        return DeckTextOutput::WebVtt;
    if (extension == "srt")
        return DeckTextOutput::SubRip;
    std::string lower = path;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char ch) { return std::tolower(ch); });
    const std::string chapters = ".chapters.txt";
    if (lower.size() > chapters.size() && lower.compare(lower.size() - chapters.size(), chapters.size(), chapters) == 0)
        return DeckTextOutput::ChapterList;
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
    return R"(Usage:
  deckrec [DECK]                                   open the windows, with DECK chosen
  deckrec convert DECK -o OUTPUT [-o OUTPUT ...] [options]
  deckrec export RECORDING_DIR -o OUTPUT [-o OUTPUT ...] [options]
  deckrec batch DECK... | --list FILE  -O OUTDIR [--formats mp4,gif] [options]
                                                   (see deckrec batch --help)
  deckrec --help | --version
  (after --, every argument is a deck, folder or file name, even one starting with -)

convert plays DECK (.ppt .pptx .pps .ppsx .odp .fodp) with Auto Record and writes every
OUTPUT from one recording; export writes new outputs from a recording kept with
--keep-recording. The format follows the extension: .gif .avi .mp4 .webm .mkv.

Recording (convert):
  --latency MS            time between slide actions [5000]
  --cursor                draw the pointer into the frames
  --audio                 record the sound the computer plays: the show plays live with
                          its sound once, its slide actions logged, then its frames are
                          drawn on the recorder's own clock at those moments (with
                          --realtime, the screen is recorded during the live play instead)
  --audio-source NAME     record another sound server source (e.g. a microphone)
  --capture WxH           595x466, 1280x720 or 1920x1080 [595x466]
  --fps N                 frames a second, 1 to 60, decimals allowed [6.67: one every 150 ms]
  --realtime              record on the wall clock, as the windows do; without it the
                          frames are drawn on the recorder's own clock: every frame shows
                          exactly its moment, as fast as the machine draws it, the capture
                          size needs no screen of that size, and no pointer is drawn
  --fast                  the same as the default; kept for older scripts
  --headless              use a private display even when DISPLAY is set
  --keep-recording DIR    keep the recording in DIR (new or empty) for export
  --strict-fonts          stop before recording when the deck names a font that is missing
  --allow-remote-content  let LibreOffice and the show fetch the pictures the deck links on
                          the network; without it nothing is fetched, such a picture is drawn
                          as a missing link and a warning names it
  --max-minutes N         let the recording run up to N minutes (decimals allowed, at most
                          1440) [9999 slots: 25 minutes at 150 ms]; a show still running at
                          the limit is cut there, reported, and the run exits with 1
  --timings deck|latency  a slide the deck advances by itself after a set time moves on
                          at that time, or every step waits for the latency [deck]

Outputs:
  --size WxH|original     output size [560 wide, the recording's shape]
  --colors 256|gray       GIF colours [256]
  --dither nearest|floyd-steinberg                 GIF colour mapping [nearest]
  --gif-mode smaller|best difference frames or whole frames [smaller]
  --gif-hifi              high-fidelity GIF colours
  --gif-tolerance D       High Fidelity, a shown colour may differ from the true one by up
                          to D (0..64; distance sqrt((2dR^2 + 4dG^2 + 3dB^2) / 9), a grey step
                          of D levels is D): fewer bytes, 0 exact [0]
  --gif-max-size SIZE     the best GIF that fits SIZE (8M, 500k, bytes without suffix; k, M
                          are 1000s): tries tolerances, then fewer colours, then the smaller
                          sizes of the list, and says what it chose; no file when none fits
  --encoder CODE          video encoder by its four-character code (e.g. DIVX, H264, VP90)
  --quality 0..10000      video quality [4000]
  --bits 1|4|8|24|32      video colour depth [24]
  --captions              add the speaker notes as a subtitle track to MP4, WebM and MKV
  --allow-missing-frames  export: write a recording whose frame files are not all there,
                          each missing slot repeating the one before (a warning, not an error)
  -q, --quiet             print errors only

MP4, WebM and MKV outputs get a chapter per slide, named by its title. Text outputs:
NAME.chapters.txt (a chapter list for a video site's description), NAME.vtt and NAME.srt
(captions from the speaker notes).

Exit status: 0 every output written, 1 a failure while running, 2 a usage error,
130 interrupted.
)";
}
