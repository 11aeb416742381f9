// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a batch tells: on a terminal, a line that stays for every deck that ends, and below
// them one line per running deck with its progress and a line with the overall count, redrawn
// in place; not on a terminal, only the lines that stay; with --progress json, one JSON
// object a line on stdout for every event and nothing else there.

#include "batch/batch_plan.h"
#include "core/json_event.h"

#include <map>
#include <string>
#include <vector>

struct BatchCounts {
    int total = 0;
    int done = 0;
    int skipped = 0;
    int failed = 0;
    int running = 0;
};

class BatchReport {
public:
    BatchReport(bool json, bool quiet, int total);

    void Started(const BatchDeck& deck);
    void Progress(const BatchDeck& deck, const std::string& status, int percent);
    void Output(const BatchDeck& deck, const std::string& path, long long bytes);
    void Done(const BatchDeck& deck, double seconds);
    void Failed(const BatchDeck& deck, const std::string& reason, double seconds);
    void Skipped(const BatchDeck& deck);
    void Summary(bool interrupted, double seconds);
    // A line for the person at the terminal (not in JSON mode's stdout).
    void Note(const std::string& text);

    const BatchCounts& counts() const { return counts_; }

private:
    void Emit(const JsonEvent& event);
    void Line(const std::string& text);
    void ClearBlock();
    void DrawBlock();

    bool json_;
    bool quiet_;
    bool interactive_;
    BatchCounts counts_;
    std::map<int, std::string> running_; // deck number → its progress line
    int drawnLines_ = 0;
    std::vector<std::pair<std::string, std::string>> failures_; // deck, reason
};
