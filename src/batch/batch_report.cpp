// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/batch_report.h"

#include "core/duration_text.h"
#include "core/json_event.h"
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

JsonEvent DeckEvent(const std::string& event, const BatchDeck& deck)
{
    JsonEvent json(event);
    json.Text("deck", deck.given).Text("name", deck.name);
    return json;
}

} // namespace

BatchReport::BatchReport(bool json, bool quiet, int total)
    : json_(json)
    , quiet_(quiet)
    , interactive_(!json && isatty(STDERR_FILENO) == 1)
{
    counts_.total = total;
}

void BatchReport::Emit(const JsonEvent& event)
{
    event.WriteTo(stdout);
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
        return Emit(DeckEvent("start", deck).Texts("outputs", deck.outputs).Text("log", deck.log));
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
        return Emit(DeckEvent("progress", deck).Status(status, percent));
    if (interactive_ && !quiet_) {
        ClearBlock();
        DrawBlock();
    }
}

void BatchReport::Output(const BatchDeck& deck, const std::string& path, long long bytes)
{
    if (json_)
        return Emit(DeckEvent("output", deck).Text("path", path).Number("bytes", bytes));
}

void BatchReport::Done(const BatchDeck& deck, double seconds)
{
    --counts_.running;
    ++counts_.done;
    running_.erase(deck.number);
    if (json_)
        return Emit(DeckEvent("done", deck).Texts("outputs", deck.outputs).Tenths("seconds", seconds));
    Line(deck.name + ": done in " + Seconds(seconds) + " s");
}

void BatchReport::Failed(const BatchDeck& deck, const std::string& reason, double seconds)
{
    if (running_.erase(deck.number))
        --counts_.running;
    ++counts_.failed;
    failures_.emplace_back(deck.given, reason);
    if (json_)
        return Emit(DeckEvent("failed", deck).Text("reason", reason).Text("log", deck.log).Tenths("seconds", seconds));
    Line(deck.name + ": FAILED: " + reason);
}

void BatchReport::Skipped(const BatchDeck& deck)
{
    ++counts_.skipped;
    if (json_)
        return Emit(DeckEvent("skipped", deck)
                        .Text("reason", "its outputs are newer than the deck")
                        .Texts("outputs", deck.outputs));
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
        return Emit(JsonEvent("summary")
                        .Number("decks", counts_.total)
                        .Number("done", counts_.done)
                        .Number("skipped", counts_.skipped)
                        .Number("failed", counts_.failed)
                        .Flag("interrupted", interrupted)
                        .Tenths("seconds", seconds)
                        .Raw("failures", failures + "]"));
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
