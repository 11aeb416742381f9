// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a deck's conversion tells its batch: it runs with --progress json, so that its log
// holds one JSON event a line (core/json_event.h) among the lines it writes on stderr.

#include <optional>
#include <string>

struct ConversionEvent {
    std::string event;  // start, progress, output, done, failed
    std::string status; // progress: what it is doing
    int percent = -1;   // progress: a bar's percentage; -1: none
    std::string path;   // output: the file written
    std::string reason; // failed: why
};

// The event one line of the log holds; none for any other line.
std::optional<ConversionEvent> ReadConversionEvent(const std::string& line);

// The error a line of the log reports ("deckrec: ..." on stderr, not a warning), without
// "deckrec: "; empty for any other line. What a conversion that crashed said last.
std::string ErrorOfLogLine(const std::string& line);
