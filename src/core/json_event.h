// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The machine-readable events of a run (--progress json), one JSON object a line: a batch's
// events and those of each conversion share this writer, so that one reader reads both.
//
//   {"event":"progress","deck":"talk.odp","name":"talk","status":"talk.mp4 50%","percent":50}

#include <cstdio>
#include <string>
#include <vector>

class JsonEvent {
public:
    // event: start, progress, output, done, failed, skipped, summary.
    explicit JsonEvent(const std::string& event);

    JsonEvent& Text(const std::string& field, const std::string& value);
    JsonEvent& Number(const std::string& field, long long value);
    // Seconds and the like, to a tenth.
    JsonEvent& Tenths(const std::string& field, double value);
    JsonEvent& Flag(const std::string& field, bool value);
    JsonEvent& Texts(const std::string& field, const std::vector<std::string>& values);
    // A progress event's fields: what is being done, and a bar's percentage when it has one
    // (percent < 0: none).
    JsonEvent& Status(const std::string& status, int percent);
    // A value already in JSON (a list of objects).
    JsonEvent& Raw(const std::string& field, const std::string& json);

    // The object, without a line end.
    std::string Json() const { return json_ + "}"; }
    // The object and a line end on out, flushed, so that a reader sees each event as it comes.
    void WriteTo(std::FILE* out) const;

private:
    std::string json_;
};

// Quotes text as a JSON string; bytes that are not UTF-8 become U+FFFD, which strict readers
// need.
std::string JsonString(const std::string& text);
