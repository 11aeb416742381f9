#pragma once
// What a run tells the person at the terminal: a status line that updates in place (the slide
// being recorded, an export's bar), a line per finished output, and errors. Progress goes to
// stderr so that stdout carries only the summaries; --quiet leaves errors alone. A name's control
// characters and bytes that are not UTF-8 are shown as \xNN.

#include <string>

class Terminal {
public:
    explicit Terminal(bool quiet);

    // Replaces the status line. Not on a terminal, only a changed text is printed, a line each.
    void Status(const std::string& text);
    // A bar for label at value of maximum, e.g. "video.mp4 [######    ] 60%".
    void Progress(const std::string& label, long long value, long long maximum);
    // A line that stays (a summary), on stdout.
    void Summary(const std::string& text);
    // "deckrec: " and the message, on stderr, also when quiet.
    void Error(const std::string& message);

private:
    void EndStatus();

    bool quiet_;
    bool interactive_;
    bool statusShown_ = false;
    std::string lastStatus_;
    std::string lastLabel_;
    int lastPercent_ = -1;
};

// "12.3 MB", "845 KB", "17 bytes".
// "1:05.4" (minutes:seconds.tenths).
std::string DurationText(long long milliseconds);
