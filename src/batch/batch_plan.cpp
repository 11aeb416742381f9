// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/batch_plan.h"

#include "core/deck_files.h"
#include "core/text_files.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <sched.h>
#include <set>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// What one conversion at a time needs at most: the browser engine, LibreOffice, a display
// and the frames being encoded (measured with bench/batch_bench.sh, with room to spare).
constexpr long long kMemoryPerWorker = 1536LL * 1024 * 1024;

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

std::string Absolute(const std::string& path)
{
    std::error_code ec;
    return fs::absolute(path, ec).lexically_normal().string();
}

} // namespace

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

std::vector<std::string> ConversionArguments(const BatchDeck& deck, const BatchOptions& options)
{
    // Its events, not its bar: the batch reads them from its log.
    std::vector<std::string> args = {"convert", "--headless", "--progress", "json"};
    for (const std::string& output : deck.outputs) {
        args.push_back("-o");
        args.push_back(output);
    }
    args.insert(args.end(), options.convertOptions.begin(), options.convertOptions.end());
    // After "--" the deck is a name even when it starts with "-".
    args.push_back("--");
    args.push_back(deck.path);
    return args;
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
