// SPDX-License-Identifier: GPL-3.0-or-later
// What the command line refuses, with the one line it prints; what it accepts, as the settings
// the windows would use.
#include "batch/batch_plan.h"
#include "core/output_formats.h"
#include "platform/ffmpeg/container_format.h"
#include "cli/command_line.h"
#include "cli/output_plan.h"
#include "core/command_options.h"
#include "platform/ffmpeg/ffmpeg_encoder_facility.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

ParsedCommandLine Parse(std::vector<std::string> args)
{
    return ParseCommandLine(args);
}

// A value the option takes: the top of a range, a choice's last word.
std::string ValueItTakes(const CommandOption& option)
{
    switch (option.value) {
    case OptionValue::None:
        return {};
    case OptionValue::WholeNumber:
    case OptionValue::Decimal:
        return std::to_string(static_cast<int>(option.high));
    case OptionValue::Choice:
        return option.words.back();
    case OptionValue::Size:
        return "360x203";
    case OptionValue::ByteSize:
        return "1.5M";
    case OptionValue::FourCharacterCode:
        return "H264";
    case OptionValue::Text:
        return "name";
    }
    return {};
}

} // namespace

TEST(CommandLine, UsageErrorsNameWhatIsWrong)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--bogus"}, "unknown option --bogus"},
        {{"convert", "a.odp", "-o", "x.gif", "--bogus"}, "unknown option --bogus"},
        {{"convert", "a.odp"}, "name at least one output"},
        {{"convert", "-o", "x.gif"}, "name a deck"},
        {{"convert", "a.key", "-o", "x.gif"}, "decks are .ppt"},
        {{"convert", "a.odp", "-o", "x.mov"}, "outputs are .gif"},
        {{"convert", "a.odp", "-o", "noextension"}, "outputs are .gif"},
        {{"convert", "a.odp", "-o", "x.gif", "-o", "x.gif"}, "named twice"},
        {{"convert", "a.odp", "-o", "x.gif", "-o", "./x.gif"}, "named twice: ./x.gif and x.gif"},
        {{"convert", "a.odp", "-o", "x.gif", "-o", "sub/../x.gif"}, "named twice"},
        {{"convert", "-o", "x.gif", "--", "a.odp", "-o"}, "unexpected argument -o"},
        {{"convert", "-o", "x.gif", "--", "--help"}, "decks are .ppt"},
        {{"convert", "a.odp", "-o", "x.gif", "--fast", "--audio"}, "--fast cannot record sound"},
        {{"convert", "a.odp", "-o", "x.gif", "--fast", "--audio-source", "mic"}, "--fast cannot record sound"},
        {{"convert", "a.odp", "-o", "x.gif", "--latency", "fast"}, "--latency takes a whole number"},
        {{"convert", "a.odp", "-o", "x.gif", "--latency"}, "--latency needs a value"},
        {{"convert", "a.odp", "-o", "x.gif", "--capture", "800x600"}, "--capture takes 595x466"},
        {{"convert", "a.odp", "-o", "x.gif", "--size", "640"}, "--size takes WIDTHxHEIGHT"},
        {{"convert", "a.odp", "-o", "x.gif", "--size", "0x10"}, "--size takes WIDTHxHEIGHT"},
        {{"convert", "a.odp", "-o", "x.gif", "--colors", "16"}, "--colors takes 256 or gray"},
        {{"convert", "a.odp", "-o", "x.gif", "--bits", "16"}, "--bits takes 1, 4, 8, 24 or 32"},
        {{"convert", "a.odp", "-o", "x.gif", "--quality", "10001"}, "--quality takes a whole number"},
        {{"convert", "a.odp", "-o", "x.gif", "--encoder", "H26"}, "four-character code"},
        {{"convert", "a.odp", "-o", "x.gif", "--cursor=yes"}, "--cursor takes no value"},
        {{"export", "dir", "-o", "x.gif", "--keep-recording", "k"}, "--keep-recording belongs to convert"},
        {{"convert", "a.odp", "-o", "x.gif", "--fps", "0"}, "--fps takes a frame rate from 1 to 60"},
        {{"convert", "a.odp", "-o", "x.gif", "--fps", "61"}, "--fps takes a frame rate from 1 to 60"},
        {{"convert", "a.odp", "-o", "x.gif", "--fps", "abc"}, "--fps takes a frame rate from 1 to 60"},
        {{"convert", "a.odp", "-o", "x.gif", "--realtime", "--fast"}, "--fast and --realtime"},
        {{"export", "dir", "-o", "x.gif", "--fps", "30"}, "--realtime and --fps belong to convert"},
        {{"convert", "a.odp", "-o", "x.gif", "--max-minutes", "0"}, "--max-minutes takes a number of minutes above 0"},
        {{"convert", "a.odp", "-o", "x.gif", "--max-minutes", "1441"}, "up to 1440"},
        {{"convert", "a.odp", "-o", "x.gif", "--max-minutes", "nan"}, "--max-minutes takes"},
        {{"convert", "a.odp", "-o", "x.gif", "--max-minutes", "5m"}, "--max-minutes takes"},
        {{"export", "dir", "-o", "x.gif", "--max-minutes", "5"}, "--max-minutes belongs to convert"},
        {{"export", "dir", "-o", "dir/x.gif"}, "export never writes into the recording's folder dir"},
        {{"export", "dir/", "-o", "./dir/sub/../x.gif"}, "export never writes into the recording's folder"},
        {{"export", "dir", "-o", "x.gif", "--allow-remote-content"}, "--allow-remote-content belongs to convert"},
        {{"convert", "a.odp", "-o", "x.gif", "--allow-remote-content=yes"}, "--allow-remote-content takes no value"},
        {{"a.odp", "b.odp"}, "only one deck"},
        {{"-platform"}, "-platform needs a value"},
    };
    for (const auto& [args, expected] : cases) {
        const ParsedCommandLine parsed = Parse(args);
        EXPECT_NE(parsed.error.find(expected), std::string::npos) << "got \"" << parsed.error << "\" for " << args.back();
    }
}

TEST(CommandLine, ConvertTakesEveryOptionAndDefaultsToTheWindowsSettings)
{
    const ParsedCommandLine defaults = Parse({"convert", "talk.PPTX", "-o", "a.gif", "--output", "b.MP4"});
    ASSERT_EQ(defaults.error, "");
    const CommandLine& d = defaults.command;
    EXPECT_EQ(d.command, Command::Convert);
    EXPECT_EQ(d.outputs, (std::vector<std::string>{"a.gif", "b.MP4"}));
    EXPECT_EQ(d.latencyMs, 5000);
    EXPECT_EQ(d.capture, (CaptureSize{595, 466}));
    EXPECT_EQ(d.size.kind, OutputSize::Kind::FirstListItem);
    EXPECT_FALSE(d.audio || d.cursor || d.fast || d.grayScale || d.floydSteinberg || d.gifBestQuality ||
                 d.allowRemoteContent);
    EXPECT_EQ(d.bits, 24);
    EXPECT_FALSE(d.quality.has_value());

    const ParsedCommandLine all = Parse({"convert", "t.fodp", "-o", "a.webm", "--latency=1500", "--cursor",
                                         "--audio-source", "mic", "--capture", "1280x720", "--size", "original",
                                         "--colors", "gray", "--dither", "floyd-steinberg", "--gif-mode", "best",
                                         "--encoder", "VP90", "--quality", "0", "--bits", "8", "--keep-recording",
                                         "rec", "--quiet", "--headless", "--gif-hifi", "--allow-remote-content"});
    ASSERT_EQ(all.error, "");
    const CommandLine& c = all.command;
    EXPECT_EQ(c.latencyMs, 1500);
    EXPECT_TRUE(c.cursor && c.audio && c.grayScale && c.floydSteinberg && c.gifBestQuality && c.quiet &&
                c.headless && c.gifHighFidelity && c.allowRemoteContent);
    // A batch passes it on to each deck's conversion.
    const ParsedBatch batch = ParseBatchCommandLine({"a.fodp", "-O", "out", "--allow-remote-content"});
    EXPECT_EQ(batch.error, "");
    EXPECT_EQ(batch.options.convertOptions, std::vector<std::string>{"--allow-remote-content"});
    EXPECT_EQ(c.audioSource, "mic");
    EXPECT_EQ(c.capture, (CaptureSize{1280, 720}));
    EXPECT_EQ(c.size.kind, OutputSize::Kind::Original);
    EXPECT_EQ(c.encoder, "VP90");
    EXPECT_EQ(c.quality, 0);
    EXPECT_EQ(c.bits, 8);
    EXPECT_EQ(c.keepRecording, "rec");
}

TEST(CommandLine, DoubleDashEndsTheOptionsAndALinkedFolderNamesTheSameOutput)
{
    const ParsedCommandLine dashed = Parse({"convert", "-o", "x.gif", "--", "-talk.fodp"});
    ASSERT_EQ(dashed.error, "");
    EXPECT_EQ(dashed.command.input, "-talk.fodp");
    EXPECT_EQ(Parse({"--", "-talk.odp"}).command.input, "-talk.odp");

    const fs::path folder = fs::temp_directory_path() / ("deckrec-cli-" + std::to_string(::getpid()));
    fs::create_directories(folder / "real");
    fs::create_directory_symlink(folder / "real", folder / "link");
    const ParsedCommandLine linked =
        Parse({"convert", "a.odp", "-o", (folder / "real/a.gif").string(), "-o", (folder / "link/a.gif").string()});
    fs::remove_all(folder);
    EXPECT_NE(linked.error.find("named twice"), std::string::npos) << linked.error;
}

TEST(CommandLine, HelpAndVersionWinAndTheWindowsTakeADeckAndToolkitOptions)
{
    EXPECT_EQ(Parse({"convert", "--help"}).command.command, Command::Help);
    EXPECT_EQ(Parse({"--version"}).command.command, Command::Version);
    const ParsedCommandLine windows = Parse({"-platform", "offscreen", "talk.odp"});
    ASSERT_EQ(windows.error, "");
    EXPECT_EQ(windows.command.command, Command::Windows);
    EXPECT_EQ(windows.command.input, "talk.odp");
}

TEST(CommandLine, MaxMinutesSetsTheSlotLimitWithinWhatARecordingCanHold)
{
    struct Case {
        std::vector<std::string> options;
        int slotLimit; // the loop records slots 1 .. slotLimit - 1
    };
    const std::vector<Case> cases = {
        {{}, 10000},                                  // the windows' 9999 slots
        {{"--max-minutes", "0.05"}, 21},              // 3 s of 150 ms slots
        {{"--max-minutes", "60"}, 24001},             // raised beyond 9999
        {{"--max-minutes", "0.001"}, 2},              // less than a slot still records one
        {{"--max-minutes", "1", "--fps", "30"}, 1801}, // the frame period counts
        {{"--max-minutes", "1440"}, 576001},          // a day, what a recording can hold
        {{"--max-minutes", "1440", "--fps", "60"}, 5184001},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"convert", "a.odp", "-o", "x.gif"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const ParsedCommandLine parsed = Parse(args);
        ASSERT_EQ(parsed.error, "");
        EXPECT_EQ(SlotLimitOf(parsed.command), c.slotLimit) << (c.options.empty() ? "default" : c.options[1]);
    }
    EXPECT_NE(UsageText().find("--max-minutes N"), std::string::npos);
}

// "GIFs that fit": a tolerance turns High Fidelity on; a size takes k, M, G or plain bytes; what
// is not one is a usage error naming the option.
TEST(CommandLine, GifToleranceAndSizeBudget)
{
    const ParsedCommandLine fits =
        Parse({"export", "rec", "-o", "a.gif", "--gif-tolerance", "6", "--gif-max-size=1.5M"});
    ASSERT_EQ(fits.error, "");
    EXPECT_TRUE(fits.command.gifHighFidelity);
    EXPECT_EQ(fits.command.gifTolerance, 6);
    EXPECT_EQ(fits.command.gifMaxBytes, 1'500'000);
    const ParsedCommandLine plain = Parse({"convert", "t.odp", "-o", "a.gif", "--gif-max-size", "500k"});
    ASSERT_EQ(plain.error, "");
    EXPECT_FALSE(plain.command.gifHighFidelity);
    EXPECT_EQ(plain.command.gifTolerance, 0);
    EXPECT_EQ(plain.command.gifMaxBytes, 500'000);
    EXPECT_EQ(Parse({"convert", "t.odp", "-o", "a.gif"}).command.gifMaxBytes, 0);

    const std::vector<std::pair<std::vector<std::string>, std::string>> refused = {
        {{"--gif-max-size", "0"}, "--gif-max-size takes a size"},
        {{"--gif-max-size", "12Q"}, "--gif-max-size takes a size"},
        {{"--gif-max-size", "-3k"}, "--gif-max-size takes a size"},
        {{"--gif-max-size"}, "--gif-max-size needs a value"},
        {{"--gif-tolerance", "-1"}, "--gif-tolerance takes a whole number from 0 to 64"},
        {{"--gif-tolerance", "65"}, "--gif-tolerance takes a whole number from 0 to 64"},
        {{"--gif-tolerance", "2.5"}, "--gif-tolerance takes a whole number"},
    };
    for (const auto& [options, expected] : refused) {
        std::vector<std::string> args = {"export", "rec", "-o", "a.gif"};
        args.insert(args.end(), options.begin(), options.end());
        const ParsedCommandLine parsed = Parse(args);
        EXPECT_NE(parsed.error.find(expected), std::string::npos) << "got \"" << parsed.error << "\" for " << options[0];
    }
}

// An odd video size that the encoder cannot take is written at the nearest even size of its
// shape; a GIF and an encoder that takes odd sides keep the size as asked.
TEST(OutputPlan, OddVideoSizesGoToTheNearestEvenSizeOfTheirShapeWhereTheEncoderNeedsIt)
{
    FfmpegEncoderFacility encoders;
    struct Case {
        std::string output;
        std::string size;
        std::optional<ZoomSize> even;
    } cases[] = {
        {"x.mp4", "360x203", ZoomSize{360, 202}},
        {"x.mp4", "361x203", ZoomSize{360, 202}},
        {"x.webm", "99x57", std::nullopt},
        {"x.mp4", "360x202", std::nullopt},
        {"x.gif", "361x203", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.output + " " + c.size);
        const ParsedCommandLine parsed = Parse({"convert", "a.odp", "-o", (fs::temp_directory_path() / c.output).string(),
                                                "--size", c.size});
        ASSERT_TRUE(parsed.error.empty()) << parsed.error;
        const std::vector<PlannedOutput> plan = PlanOutputs(parsed.command, encoders);
        ASSERT_EQ(plan.size(), 1u);
        EXPECT_EQ(plan[0].evenSize, c.even);
    }
}

// The help, the parser and batch agree on which options take a value: every option --help
// shows with a value name needs one, every other takes none, and batch passes each on to
// convert with its value instead of taking the value for a deck.
TEST(CommandLine, HelpParserAndBatchAgreeOnWhichOptionsTakeAValue)
{
    const std::regex line(R"(^  (?:-\w, )?(--?[\w-]+)( \S+)?(  |$))");
    const std::string usage = UsageText();
    std::istringstream lines(usage);
    int options = 0;
    for (std::string text; std::getline(lines, text);) {
        std::smatch match;
        if (!std::regex_search(text, match, line) || match[1] == "--help" || match[1] == "--version")
            continue;
        const std::string option = match[1];
        const bool takesValue = match[2].matched;
        ++options;
        const CommandOption* known = FindOption(option, kConvertCommand);
        ASSERT_NE(known, nullptr) << option;
        EXPECT_EQ(known->value != OptionValue::None, takesValue) << option;
        const ParsedCommandLine parsed = Parse({"convert", "a.odp", "-o", "x.gif", option});
        if (takesValue)
            EXPECT_NE(parsed.error.find(option + " needs a value"), std::string::npos) << parsed.error;
        else
            EXPECT_EQ(parsed.error.find("unknown option"), std::string::npos) << parsed.error;
    }
    EXPECT_GE(options, 25);

    const ParsedBatch batch = ParseBatchCommandLine({"a.odp", "-O", "out", "--max-minutes", "5", "--timings", "latency",
                                                     "--gif-tolerance", "4", "--gif-max-size", "8M"});
    EXPECT_EQ(batch.error, "");
    EXPECT_EQ(batch.options.decks, std::vector<std::string>{"a.odp"});
}

// The command-line reference in docs/ shows both helps as the program prints them.
TEST(CommandLine, TheReferenceInTheDocsShowsTheHelpAsItIs)
{
    std::ifstream file(DECKREC_SOURCE_DIR "/docs/cli.md");
    const std::string reference((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(reference.empty());
    EXPECT_NE(reference.find(UsageText()), std::string::npos) << "docs/cli.md: paste `deckrec --help` again";
    EXPECT_NE(reference.find(BatchUsageText()), std::string::npos) << "docs/cli.md: paste `deckrec batch --help` again";
}

// Every option convert lists in its help, given to a batch with a value it takes: a batch's own
// option of that name, one it refuses with its reason, one it does without, or one it hands to
// each deck's conversion as given, where convert takes it.
TEST(CommandLine, BatchTakesEveryConvertOptionAndHandsItToEachConversion)
{
    int handedOn = 0;
    for (const CommandOption& option : CommandOptions()) {
        if (!(option.commands & kConvertCommand) || option.group == HelpGroup::None)
            continue;
        SCOPED_TRACE(option.name);
        std::vector<std::string> given = {option.name};
        if (option.value != OptionValue::None)
            given.push_back(ValueItTakes(option));
        std::vector<std::string> args = {"a.odp", "-O", "out"};
        args.insert(args.end(), given.begin(), given.end());
        const ParsedBatch batch = ParseBatchCommandLine(args, ConvertUsageError);
        if (!option.batchRefusal.empty()) {
            EXPECT_EQ(batch.error, option.batchRefusal);
            continue;
        }
        ASSERT_EQ(batch.error, "");
        if (FindOption(option.name, kBatchCommand) || option.inBatch == InBatch::Ignored) {
            EXPECT_TRUE(batch.options.convertOptions.empty());
            continue;
        }
        EXPECT_EQ(batch.options.convertOptions, given);
        const std::vector<std::string> child = ConversionArguments(PlanBatch(batch.options).front(), batch.options);
        EXPECT_NE(std::search(child.begin(), child.end(), given.begin(), given.end()), child.end());
        EXPECT_EQ(ConvertUsageError(child), "");
        ++handedOn;
    }
    EXPECT_GE(handedOn, 20);
}

// The one list of outputs: a name's format in any case, the chapter list's double extension,
// and a writer for every picture format of it.
TEST(CommandLine, OutputFormatsComeFromOneListTheWritersKnow)
{
    const std::vector<std::pair<std::string, std::optional<OutputKind>>> cases = {
        {"a.GIF", OutputKind::Gif},          {"dir.gif/a.Mp4", OutputKind::Video},
        {"a.webm", OutputKind::Video},       {"talk.Chapters.TXT", OutputKind::ChapterList},
        {"a.vtt", OutputKind::WebVtt},       {"a.srt", OutputKind::SubRip},
        {"a.txt", std::nullopt},             {"a.gif/noextension", std::nullopt},
        {"a.mov", std::nullopt},
    };
    for (const auto& [path, kind] : cases) {
        const std::optional<OutputFormat> format = OutputFormatOf(path);
        EXPECT_EQ(format ? std::optional<OutputKind>(format->kind) : std::nullopt, kind) << path;
    }
    for (const OutputFormat& format : OutputFormats())
        EXPECT_EQ(FormatOfFileName("x." + format.extension).has_value(), format.kind == OutputKind::Video)
            << format.extension;
}
