// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The files a conversion can write, by their extension: one list for the command line's checks
// and help, batch's --formats and the writers that pick a format by its file's name.

#include <optional>
#include <string>
#include <vector>

enum class OutputKind { Gif, Video, ChapterList, WebVtt, SubRip };

struct OutputFormat {
    std::string extension; // lower case, without the leading dot
    OutputKind kind;
};

// gif, avi, mp4, webm, mkv, vtt, srt, chapters.txt: pictures first, then the deck's text.
const std::vector<OutputFormat>& OutputFormats();
// The format path's name ends in, in any case; none for other names.
std::optional<OutputFormat> OutputFormatOf(const std::string& path);
// The extensions as a message or help lists them, e.g. (".", ", ", " or ") gives
// ".gif, .avi, ... or .chapters.txt"; picturesOnly leaves out the text outputs.
std::string OutputExtensionsText(const std::string& dot, const std::string& separator, const std::string& last,
                                 bool picturesOnly = false);
// The extension of path in lower case, without the dot; empty when it has none.
std::string LowerExtension(const std::string& path);
