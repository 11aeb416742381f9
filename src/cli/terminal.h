// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a run tells the person at the terminal: a status line that updates in place (the slide
// being recorded, an export's bar), a line per finished output, and errors. Progress goes to
// stderr so that stdout carries only the summaries; --quiet leaves errors alone. A name's control
// characters and bytes that are not UTF-8 are shown as \xNN.
//
// With --progress json the run tells a program instead (a batch, a script): its start, its
// progress, each output written and how it ended are JSON events on stdout, one a line
// (core/json_event.h), and nothing else goes there; summaries and errors stay on stderr.

#include "core/duration_text.h"
#include "core/json_event.h"

#include <chrono>
#include <string>
#include <vector>

class Terminal {
public:
    explicit Terminal(bool quiet);

    // From now on, events on stdout for the run of deck (or recording folder) that writes outputs.
    void ReportEvents(const std::string& deck, const std::vector<std::string>& outputs);

    // Replaces the status line. Not on a terminal, only a changed text is printed, a line each.
    void Status(const std::string& text);
    // A bar for label at value of maximum, e.g. "video.mp4 [######    ] 60%".
    void Progress(const std::string& label, long long value, long long maximum);
    // A line that stays (a summary), on stdout.
    void Summary(const std::string& text);
    // A finished output and its summary line.
    void Output(const std::string& path, const std::string& summary);
    // "deckrec: " and the message, on stderr, also when quiet.
    void Error(const std::string& message);
    // The run's end with its exit status: with events, done, or failed with reason (the last
    // error when empty).
    void Finish(int exitStatus, const std::string& reason = {});

private:
    void EndStatus();
    JsonEvent Event(const std::string& event) const;
    void StatusEvent(const std::string& status, int percent);

    bool quiet_;
    bool interactive_;
    bool statusShown_ = false;
    std::string lastStatus_;
    std::string lastLabel_;
    int lastPercent_ = -1;

    bool events_ = false;
    std::string deck_;
    std::string name_;
    std::vector<std::string> outputs_;
    std::string lastError_;
    std::chrono::steady_clock::time_point start_;
};
