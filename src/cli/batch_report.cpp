#include "cli/batch_report.h"

#include "cli/terminal.h"
#include "core/printable_text.h"

#include <cstdio>
#include <unistd.h>

namespace {

std::string Seconds(double seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", seconds);
    return text;
}

std::string JsonList(const std::vector<std::string>& items)
{
    std::string list = "[";
    for (const std::string& item : items) {
        if (list.size() > 1)
            list += ',';
        list += JsonString(item);
    }
    return list + "]";
}

std::string DeckFields(const std::string& event, const BatchDeck& deck)
{
    return "{\"event\":" + JsonString(event) + ",\"deck\":" + JsonString(deck.given) + ",\"name\":" +
           JsonString(deck.name);
}

} // namespace

std::string JsonString(const std::string& text)
{
    std::string quoted = "\"";
    // A name that is not UTF-8 shows U+FFFD where its stray bytes were: strict readers refuse
    // anything else.
    for (const unsigned char ch : ValidUtf8(text)) {
        switch (ch) {
        case '"': quoted += "\\\""; break;
        case '\\': quoted += "\\\\"; break;
        case '\n': quoted += "\\n"; break;
        case '\r': quoted += "\\r"; break;
        case '\t': quoted += "\\t"; break;
        default:
            if (ch < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", ch);
                quoted += escaped;
            } else {
                quoted += static_cast<char>(ch);
            }
        }
    }
    return quoted + "\"";
}

LogLine ReadLogLine(const std::string& line, const std::vector<std::string>& outputs)
{
    LogLine read;
    read.text = line;
    if (line.rfind("deckrec: warning: ", 0) == 0) {
        read.kind = LogLine::Kind::Warning;
        read.text = line.substr(18);
        return read;
    }
    if (line.rfind("deckrec: ", 0) == 0) {
        read.kind = LogLine::Kind::Error;
        read.text = line.substr(9);
        return read;
    }
    // convert's summary of a written output starts with its path.
    for (const std::string& output : outputs)
        if (line.rfind(output + ": ", 0) == 0) {
            read.kind = LogLine::Kind::Output;
            read.text = output;
            return read;
        }
    // A bar: "name.mp4 [#####     ] 50%".
    const size_t open = line.rfind(" [");
    const size_t close = line.rfind("] ");
    if (open != std::string::npos && close != std::string::npos && close > open && line.back() == '%') {
        try {
            read.percent = std::stoi(line.substr(close + 2));
        } catch (const std::exception&) {
            read.percent = -1;
        }
        read.text = line.substr(0, open) + " " + line.substr(close + 2);
    }
    return read;
}

BatchReport::BatchReport(bool json, bool quiet, int total)
    : json_(json)
    , quiet_(quiet)
    , interactive_(!json && isatty(STDERR_FILENO) == 1)
{
    counts_.total = total;
}

void BatchReport::Emit(const std::string& json)
{
    std::printf("%s}\n", json.c_str());
    std::fflush(stdout);
}

void BatchReport::Line(const std::string& text)
{
    if (json_ || quiet_)
        return;
    ClearBlock();
    std::fprintf(stderr, "%s\n", PrintableText(text).c_str());
    DrawBlock();
}

void BatchReport::Note(const std::string& text)
{
    Line(text);
}

void BatchReport::ClearBlock()
{
    if (!interactive_ || drawnLines_ == 0)
        return;
    std::fprintf(stderr, "\r\033[%dA\033[J", drawnLines_);
    drawnLines_ = 0;
}

void BatchReport::DrawBlock()
{
    if (!interactive_ || quiet_)
        return;
    for (const auto& [number, line] : running_)
        std::fprintf(stderr, "%s\n", PrintableText(line).c_str());
    const int waiting = counts_.total - counts_.done - counts_.skipped - counts_.failed - counts_.running;
    std::fprintf(stderr, "%d of %d decks finished: %d converted, %d skipped, %d failed; %d running, %d waiting\n",
                 counts_.done + counts_.skipped + counts_.failed, counts_.total, counts_.done, counts_.skipped,
                 counts_.failed, counts_.running, waiting);
    drawnLines_ = static_cast<int>(running_.size()) + 1;
    std::fflush(stderr);
}

void BatchReport::Started(const BatchDeck& deck)
{
    ++counts_.running;
    running_[deck.number] = deck.name + ": starting";
    if (json_)
        return Emit(DeckFields("start", deck) + ",\"outputs\":" + JsonList(deck.outputs) + ",\"log\":" +
                    JsonString(deck.log));
    if (interactive_) {
        ClearBlock();
        DrawBlock();
    } else {
        Line(deck.name + ": started (" + deck.given + ")");
    }
}

void BatchReport::Progress(const BatchDeck& deck, const std::string& status, int percent)
{
    running_[deck.number] = deck.name + ": " + status;
    if (json_)
        return Emit(DeckFields("progress", deck) + ",\"status\":" + JsonString(status) +
                    (percent >= 0 ? ",\"percent\":" + std::to_string(percent) : ""));
    if (interactive_ && !quiet_) {
        ClearBlock();
        DrawBlock();
    }
}

void BatchReport::Output(const BatchDeck& deck, const std::string& path, long long bytes)
{
    if (json_)
        return Emit(DeckFields("output", deck) + ",\"path\":" + JsonString(path) + ",\"bytes\":" +
                    std::to_string(bytes));
}

void BatchReport::Done(const BatchDeck& deck, double seconds)
{
    --counts_.running;
    ++counts_.done;
    running_.erase(deck.number);
    if (json_)
        return Emit(DeckFields("done", deck) + ",\"outputs\":" + JsonList(deck.outputs) + ",\"seconds\":" +
                    Seconds(seconds));
    Line(deck.name + ": done in " + Seconds(seconds) + " s");
}

void BatchReport::Failed(const BatchDeck& deck, const std::string& reason, double seconds)
{
    if (running_.erase(deck.number))
        --counts_.running;
    ++counts_.failed;
    failures_.emplace_back(deck.given, reason);
    if (json_)
        return Emit(DeckFields("failed", deck) + ",\"reason\":" + JsonString(reason) + ",\"log\":" +
                    JsonString(deck.log) + ",\"seconds\":" + Seconds(seconds));
    Line(deck.name + ": FAILED: " + reason);
}

void BatchReport::Skipped(const BatchDeck& deck)
{
    ++counts_.skipped;
    if (json_)
        return Emit(DeckFields("skipped", deck) + ",\"reason\":\"its outputs are newer than the deck\",\"outputs\":" +
                    JsonList(deck.outputs));
    Line(deck.name + ": skipped, its outputs are newer than the deck");
}

void BatchReport::Summary(bool interrupted, double seconds)
{
    if (json_) {
        std::string failures = "[";
        for (const auto& [deck, reason] : failures_) {
            if (failures.size() > 1)
                failures += ',';
            failures += "{\"deck\":" + JsonString(deck) + ",\"reason\":" + JsonString(reason) + "}";
        }
        return Emit("{\"event\":\"summary\",\"decks\":" + std::to_string(counts_.total) + ",\"done\":" +
                    std::to_string(counts_.done) + ",\"skipped\":" + std::to_string(counts_.skipped) +
                    ",\"failed\":" + std::to_string(counts_.failed) + ",\"interrupted\":" +
                    (interrupted ? "true" : "false") + ",\"seconds\":" + Seconds(seconds) + ",\"failures\":" +
                    failures + "]");
    }
    ClearBlock();
    running_.clear();
    // The summary is the batch's result: on stdout, also with --quiet.
    std::printf("%s%d decks: %d converted, %d skipped, %d failed in %s\n", interrupted ? "Interrupted. " : "",
                counts_.total, counts_.done, counts_.skipped, counts_.failed,
                DurationText(static_cast<long long>(seconds * 1000)).c_str());
    for (const auto& [deck, reason] : failures_)
        std::printf("  failed: %s: %s\n", PrintableText(deck).c_str(), PrintableText(reason).c_str());
    std::fflush(stdout);
}
