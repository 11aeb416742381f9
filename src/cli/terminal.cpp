#include "cli/terminal.h"

#include "core/printable_text.h"

#include <cstdio>
#include <unistd.h>

Terminal::Terminal(bool quiet)
    : quiet_(quiet)
    , interactive_(isatty(STDERR_FILENO) == 1)
{
}

void Terminal::Status(const std::string& given)
{
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
    if (percent == lastPercent_ || (!interactive_ && percent % 25 != 0))
        return;
    lastPercent_ = percent;
    constexpr int kWidth = 30;
    const int filled = percent * kWidth / 100;
    Status(label + " [" + std::string(filled, '#') + std::string(kWidth - filled, ' ') + "] " +
           std::to_string(percent) + "%");
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
    std::printf("%s\n", PrintableText(text).c_str());
    std::fflush(stdout);
}

void Terminal::Error(const std::string& message)
{
    EndStatus();
    std::fprintf(stderr, "deckrec: %s\n", PrintableText(message).c_str());
    std::fflush(stderr);
}

std::string DurationText(long long milliseconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%04.1f", milliseconds / 60000,
                  static_cast<double>(milliseconds % 60000) / 1000.0);
    return text;
}
