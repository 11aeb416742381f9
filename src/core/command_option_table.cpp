// SPDX-License-Identifier: GPL-3.0-or-later
// The option table's rows, in the order each help lists them.
#include "core/command_options.h"

#include "core/output_formats.h"

// Each row of the table names only the fields its option uses; the others keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

constexpr unsigned kConversion = kConvertCommand | kExportCommand;
constexpr unsigned kEveryCommand = kWindowsCommand | kConvertCommand | kExportCommand | kBatchCommand;

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
    flag("--audio", kConversion, S::Recording,
         "record the sound the computer plays: the show plays live with\n"
         "its sound once, its slide actions logged, then its frames are\n"
         "drawn on the recorder's own clock at those moments (with\n"
         "--realtime, the screen is recorded during the live play instead)");
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
         .help = "record on the wall clock, as the windows do; without it the\n"
                 "frames are drawn on the recorder's own clock: every frame shows\n"
                 "exactly its moment, as fast as the machine draws it, the capture\n"
                 "size needs no screen of that size, and no pointer is drawn",
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
    // Narration (convert): the sound track made from the speaker notes or recorded takes.
    add({.name = "--narrate", .commands = kConvertCommand, .group = S::Recording,
         .help = "read each slide's speaker notes aloud: the voice sets the slide's\n"
                 "time, makes the sound track and times the captions (see Narration)",
         .exportRefusal = "--narrate belongs to convert: an export keeps the recording's sound"});
    add({.name = "--narration", .commands = kConvertCommand, .value = V::Text, .valueName = "DIR",
         .group = S::Recording,
         .help = "recorded takes, one WAV a slide: DIR/slide-01.wav, slide-02.wav...;\n"
                 "a slide without one is read aloud with --narrate, else keeps\n"
                 "--latency",
         .batchRefusal = "--narration holds one deck's takes: use convert for it",
         .exportRefusal = "--narration belongs to convert: an export keeps the recording's sound"});
    add({.name = "--narration-gap", .commands = kConvertCommand, .value = V::Decimal, .valueName = "SECONDS",
         .low = 0, .high = 60, .takes = "a number of seconds from 0 to 60 (e.g. 0.8)", .group = S::Recording,
         .help = "pause after each slide's narration before the next slide [0.8]",
         .exportRefusal = "--narration-gap belongs to convert: an export keeps the recording's slide times"});
    add({.name = "--voice", .commands = kConvertCommand, .value = V::Text, .valueName = "LANG|NAME",
         .group = S::Recording,
         .help = "read the notes aloud (--narrate) in this voice: a language (en,\n"
                 "de, en-US) or a voice's name; notes marked in another language\n"
                 "get that language's voice [the language's best voice]",
         .exportRefusal = "--voice belongs to convert: an export keeps the recording's sound"});
    add({.name = "--tts-command", .commands = kConvertCommand, .value = V::Text, .valueName = "CMD",
         .group = S::Recording, .help = "read the notes aloud (--narrate) with CMD instead of the built-in\n"
                 "voices: CMD reads a sentence on its input and writes a WAV\n"
                 "file where {wav} stands",
         .exportRefusal = "--tts-command belongs to convert: an export keeps the recording's sound"});

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

} // namespace

const std::vector<CommandOption>& CommandOptions()
{
    static const std::vector<CommandOption> table = MakeTable();
    return table;
}
