// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/terminal.h"

#include "core/printable_text.h"

#include <cstdio>
#include <filesystem>
#include <unistd.h>

Terminal::Terminal(bool quiet)
    : quiet_(quiet)
    , interactive_(isatty(STDERR_FILENO) == 1)
    , start_(std::chrono::steady_clock::now())
{
}

void Terminal::ReportEvents(const std::string& deck, const std::vector<std::string>& outputs)
{
    events_ = true;
    interactive_ = false;
    deck_ = deck;
    name_ = std::filesystem::path(deck).stem().string();
    outputs_ = outputs;
    Event("start").Texts("outputs", outputs_).WriteTo(stdout);
}

JsonEvent Terminal::Event(const std::string& event) const
{
    JsonEvent json(event);
    json.Text("deck", deck_).Text("name", name_);
    return json;
}

void Terminal::Status(const std::string& given)
{
    if (events_)
        return StatusEvent(given, -1);
    const std::string text = PrintableText(given);
    if (quiet_ || text == lastStatus_)
        return;
    lastStatus_ = text;
    if (interactive_) {
        std::fprintf(stderr, "\r\033[K%s", text.c_str());
        statusShown_ = true;
    } else {
        std::fprintf(stderr, "%s\n", text.c_str());
    }
    std::fflush(stderr);
}

void Terminal::Progress(const std::string& label, long long value, long long maximum)
{
    const int percent = maximum > 0 ? static_cast<int>(value * 100 / maximum) : 100;
    if (label != lastLabel_) {
        lastLabel_ = label;
        lastPercent_ = -1;
    }
    // Not on a terminal a bar is a line per quarter, so that a log stays readable.
    if (percent == lastPercent_ || (!interactive_ && !events_ && percent % 25 != 0))
        return;
    lastPercent_ = percent;
    if (events_)
        return StatusEvent(label + " " + std::to_string(percent) + "%", percent);
    constexpr int kWidth = 30;
    const int filled = percent * kWidth / 100;
    Status(label + " [" + std::string(filled, '#') + std::string(kWidth - filled, ' ') + "] " +
           std::to_string(percent) + "%");
}

void Terminal::StatusEvent(const std::string& status, int percent)
{
    if (status != lastStatus_)
        Event("progress").Status(status, percent).WriteTo(stdout);
    lastStatus_ = status;
}

void Terminal::EndStatus()
{
    if (statusShown_) {
        std::fprintf(stderr, "\r\033[K");
        std::fflush(stderr);
        statusShown_ = false;
    }
    lastStatus_.clear();
    lastPercent_ = -1;
}

void Terminal::Summary(const std::string& text)
{
    EndStatus();
    if (quiet_)
        return;
    // With events stdout is theirs alone.
    std::fprintf(events_ ? stderr : stdout, "%s\n", PrintableText(text).c_str());
    std::fflush(events_ ? stderr : stdout);
}

void Terminal::Output(const std::string& path, const std::string& summary)
{
    Summary(summary);
    if (!events_)
        return;
    std::error_code ec;
    const auto bytes = std::filesystem::file_size(path, ec);
    Event("output").Text("path", path).Number("bytes", ec ? -1 : static_cast<long long>(bytes)).WriteTo(stdout);
}

void Terminal::Error(const std::string& message)
{
    EndStatus();
    if (message.rfind("warning: ", 0) != 0)
        lastError_ = message;
    std::fprintf(stderr, "deckrec: %s\n", PrintableText(message).c_str());
    std::fflush(stderr);
}

void Terminal::Finish(int exitStatus, const std::string& reason)
{
    if (!events_)
        return;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    if (exitStatus == 0)
        return Event("done").Texts("outputs", outputs_).Tenths("seconds", seconds).WriteTo(stdout);
    Event("failed")
        .Text("reason", !reason.empty()      ? reason
                        : lastError_.empty() ? "ended with status " + std::to_string(exitStatus)
                                             : lastError_)
        .Tenths("seconds", seconds)
        .WriteTo(stdout);
}
