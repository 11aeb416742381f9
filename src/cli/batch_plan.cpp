#include "cli/batch_plan.h"

#include "cli/command_line.h"
#include "core/deck_files.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <sched.h>
#include <set>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// What one conversion at a time needs at most: the browser engine, LibreOffice, a display
// and the frames being encoded (measured with bench/batch_bench.sh, with room to spare).
constexpr long long kMemoryPerWorker = 1536LL * 1024 * 1024;

const std::set<std::string> kFormats = {"gif", "avi", "mp4", "webm", "mkv", "vtt", "srt", "chapters.txt"};

bool ParseNumber(const std::string& text, int low, int high, int& value)
{
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return !text.empty() && result.ec == std::errc() && result.ptr == end && value >= low && value <= high;
}

std::string Trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// FNV-1a: the same on every machine and every run, unlike std::hash.
std::string PathHash(const std::string& path)
{
    std::uint64_t hash = 14695981039346656037ULL;
    for (const unsigned char ch : path) {
        hash ^= ch;
        hash *= 1099511628211ULL;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return std::string(text, 8);
}

class BatchParser {
public:
    explicit BatchParser(const std::vector<std::string>& args) : args_(args) {}

    ParsedBatch Run()
    {
        ParsedBatch parsed;
        BatchOptions& o = parsed.options;
        bool optionsEnded = false;
        while (next_ < args_.size() && error_.empty()) {
            std::string arg = args_[next_++];
            if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
                o.decks.push_back(arg);
                continue;
            }
            if (arg == "--") {
                optionsEnded = true;
                continue;
            }
            // --option=value is the same as --option value.
            const size_t equals = arg.find('=');
            if (arg.rfind("--", 0) == 0 && equals != std::string::npos) {
                args_.insert(args_.begin() + static_cast<long>(next_), arg.substr(equals + 1));
                arg = arg.substr(0, equals);
            }
            Option(o, arg);
        }
        if (error_.empty() && !o.help)
            Check(o);
        parsed.error = error_;
        return parsed;
    }

private:
    void Option(BatchOptions& o, const std::string& arg)
    {
        if (arg == "--help" || arg == "-h")
            o.help = true;
        else if (arg == "-O" || arg == "--output-dir")
            o.outputFolder = Value(arg);
        else if (arg == "--list")
            o.listFile = Value(arg);
        else if (arg == "--formats")
            Formats(o, Value(arg));
        else if (arg == "-j" || arg == "--jobs")
            Number(arg, Value(arg), 1, 256, o.workers);
        else if (arg == "--force")
            o.force = true;
        else if (arg == "--progress") {
            const std::string value = Value(arg);
            if (value == "json")
                o.json = true;
            else if (value != "text" && error_.empty())
                Fail("--progress takes json or text, not \"" + value + "\"");
        } else if (arg == "--deck-timeout")
            Number(arg, Value(arg), 1, 7 * 24 * 3600, o.deckTimeoutSeconds);
        else if (arg == "--only") {
            int only = 0;
            if (Number(arg, Value(arg), 1, 1000000, only))
                o.only = only;
        } else if (arg == "-q" || arg == "--quiet")
            o.quiet = true;
        else if (arg == "-o" || arg == "--output")
            Fail("a batch names each deck's outputs itself: give the folder with -O and the formats with --formats");
        else if (arg == "--keep-recording")
            Fail("--keep-recording keeps one deck's recording: use convert for it");
        else if (arg == "--headless")
            ; // every deck has a display of its own anyway
        else {
            // A conversion option: checked below by convert's own rules, passed on as given.
            o.convertOptions.push_back(arg);
            // Its value is not taken for a deck.
            if (ConversionOptionTakesValue(arg))
                o.convertOptions.push_back(Value(arg));
        }
    }

    std::string Value(const std::string& option)
    {
        if (next_ >= args_.size()) {
            Fail(option + " needs a value");
            return {};
        }
        return args_[next_++];
    }

    bool Number(const std::string& option, const std::string& text, int low, int high, int& value)
    {
        if (!error_.empty())
            return false;
        if (!ParseNumber(text, low, high, value)) {
            Fail(option + " takes a whole number from " + std::to_string(low) + " to " + std::to_string(high) +
                 ", not \"" + text + "\"");
            return false;
        }
        return true;
    }

    void Formats(BatchOptions& o, const std::string& text)
    {
        o.formats.clear();
        std::stringstream list(text);
        std::string format;
        while (std::getline(list, format, ',')) {
            format = Trimmed(format);
            std::transform(format.begin(), format.end(), format.begin(), [](unsigned char ch) { return std::tolower(ch); });
            if (!format.empty() && format.front() == '.')
                format.erase(0, 1);
            if (format == "chapters")
                format = "chapters.txt";
            if (!kFormats.count(format) && error_.empty())
                return Fail("--formats takes a list of gif, avi, mp4, webm, mkv, vtt, srt and chapters.txt, not \"" +
                            text + "\"");
            if (std::find(o.formats.begin(), o.formats.end(), format) == o.formats.end())
                o.formats.push_back(format);
        }
        if (o.formats.empty())
            Fail("--formats needs at least one format");
    }

    void Check(BatchOptions& o)
    {
        if (o.outputFolder.empty())
            return Fail("name the output folder with -O OUTDIR");
        if (o.outputFolder.back() != '/')
            o.outputFolder += '/';
        if (!o.listFile.empty()) {
            std::string error;
            if (!ReadDeckList(o.listFile, o.decks, error))
                return Fail(error);
        }
        if (o.decks.empty())
            return Fail("name the decks to convert, or a list file with --list");
        if (o.only && *o.only > static_cast<int>(o.decks.size()))
            return Fail("--only " + std::to_string(*o.only) + ": the batch has " + std::to_string(o.decks.size()) +
                        " decks");
        // convert's own rules on the passed options, with a deck and outputs of each format.
        std::vector<std::string> convert = {"convert", "deck.fodp"};
        for (const std::string& format : o.formats) {
            convert.push_back("-o");
            convert.push_back("out." + format);
        }
        convert.insert(convert.end(), o.convertOptions.begin(), o.convertOptions.end());
        const ParsedCommandLine parsed = ParseCommandLine(convert);
        if (!parsed.error.empty())
            return Fail(parsed.error);
        if (parsed.command.command != Command::Convert)
            return Fail("unexpected option among the conversion options");
    }

    void Fail(const std::string& message)
    {
        if (error_.empty())
            error_ = message;
    }

    std::vector<std::string> args_;
    size_t next_ = 0;
    std::string error_;
};

std::string Absolute(const std::string& path)
{
    std::error_code ec;
    return fs::absolute(path, ec).lexically_normal().string();
}

} // namespace

ParsedBatch ParseBatchCommandLine(const std::vector<std::string>& args)
{
    return BatchParser(args).Run();
}

bool ReadDeckList(const std::string& listFile, std::vector<std::string>& decks, std::string& error)
{
    std::ifstream list(listFile);
    if (!list) {
        error = "cannot read the list file " + listFile;
        return false;
    }
    const fs::path folder = fs::path(Absolute(listFile)).parent_path();
    std::string line;
    while (std::getline(list, line)) {
        line = Trimmed(line);
        if (line.empty() || line[0] == '#')
            continue;
        decks.push_back(line[0] == '/' ? line : (folder / line).lexically_normal().string());
    }
    return true;
}

std::vector<BatchDeck> PlanBatch(const BatchOptions& options)
{
    std::vector<BatchDeck> decks;
    std::set<std::string> seen;
    std::map<std::string, std::set<std::string>> pathsOfStem;
    for (const std::string& given : options.decks) {
        BatchDeck deck;
        deck.given = given;
        deck.path = Absolute(given);
        if (!seen.insert(deck.path).second)
            continue;
        deck.number = static_cast<int>(decks.size()) + 1;
        deck.name = fs::path(deck.path).stem().string();
        if (deck.name.empty())
            deck.name = "deck";
        pathsOfStem[deck.name].insert(deck.path);
        decks.push_back(deck);
    }
    for (BatchDeck& deck : decks) {
        if (pathsOfStem[deck.name].size() > 1) {
            deck.name += '-';
            deck.name += PathHash(deck.path);
        }
        for (const std::string& format : options.formats)
            deck.outputs.push_back(options.outputFolder + deck.name + "." + format);
        deck.log = options.outputFolder + "logs/" + deck.name + ".log";
        std::error_code ec;
        if (!IsDeckFile(deck.path))
            deck.problem = "not a deck: decks are " + DeckExtensionsText() + " files";
        else if (!fs::exists(deck.path, ec))
            deck.problem = "no such file";
        else if (!fs::is_regular_file(deck.path, ec))
            deck.problem = "not a file";
    }
    return decks;
}

bool OutputsUpToDate(const BatchDeck& deck)
{
    std::error_code ec;
    const auto deckTime = fs::last_write_time(deck.path, ec);
    if (ec)
        return false;
    for (const std::string& output : deck.outputs) {
        const auto outputTime = fs::last_write_time(output, ec);
        if (ec || !(outputTime > deckTime) || fs::file_size(output, ec) == 0 || ec)
            return false;
    }
    return true;
}

int DefaultWorkerCount()
{
    cpu_set_t allowed;
    long processors = sysconf(_SC_NPROCESSORS_ONLN);
    if (sched_getaffinity(0, sizeof allowed, &allowed) == 0)
        processors = CPU_COUNT(&allowed);
    long long available = -1;
    std::ifstream meminfo("/proc/meminfo");
    std::string key;
    long long kilobytes = 0;
    std::string unit;
    while (meminfo >> key >> kilobytes >> unit)
        if (key == "MemAvailable:") {
            available = kilobytes * 1024;
            break;
        }
    long long workers = processors;
    if (available >= 0)
        workers = std::min<long long>(workers, available / kMemoryPerWorker);
    return static_cast<int>(std::max<long long>(1, workers));
}

std::string BatchUsageText()
{
    return R"(Usage:
  deckrec batch DECK... -O OUTDIR [--formats mp4,gif] [options]
  deckrec batch --list FILE -O OUTDIR [--formats mp4,gif] [options]

Converts many decks, each by a conversion of its own (deckrec convert, on a display of its
own), several at once. A deck that fails, crashes or hangs is reported and the others go on.

  -O, --output-dir DIR    where the outputs go; logs go to DIR/logs/NAME.log
  --list FILE             decks from FILE: one path a line, blank lines and lines starting
                          with # left out, relative paths taken from FILE's folder
  --formats LIST          comma-separated gif, avi, mp4, webm, mkv, vtt, srt, chapters.txt [mp4]
  -j, --jobs N            conversions at once [min(processors, available memory / 1.5 GB),
                          at least 1]
  --force                 convert also decks whose outputs are up to date
  --deck-timeout SECONDS  stop a deck's conversion after this long and report it as failed
  --progress json|text    json: one JSON event a line on stdout (start, progress, output,
                          done, failed with its reason, skipped, and a last summary) [text]
  --only N                only the N-th deck of the batch (a cluster job array's task)
  -q, --quiet             no progress lines; the summary still comes
  Every other option is convert's (deckrec --help) and applies to every deck, e.g.
  --latency 3000 --size 360x203 --fps 10.

Outputs are OUTDIR/NAME.FORMAT, NAME being the deck's file name without its extension; when
decks of one NAME come from different folders, each is named NAME-XXXXXXXX instead (eight hex
digits of a hash of its full path), whatever the other decks of a run. A deck whose outputs all
exist and are newer than the deck is skipped, so a batch run again goes on where it stopped;
an output is written beside its target and renamed only when complete.

Exit status: 0 every deck converted or up to date, 1 a deck failed, 2 a usage error,
130 interrupted (every conversion is stopped, with its display and LibreOffice).
)";
}
