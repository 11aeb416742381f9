// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/output_formats.h"

#include <algorithm>
#include <cctype>

namespace {

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    return text;
}

bool IsPicture(OutputKind kind)
{
    return kind == OutputKind::Gif || kind == OutputKind::Video;
}

} // namespace

const std::vector<OutputFormat>& OutputFormats()
{
    static const std::vector<OutputFormat> formats = {
        {"gif", OutputKind::Gif},          {"avi", OutputKind::Video},        {"mp4", OutputKind::Video},
        {"webm", OutputKind::Video},       {"mkv", OutputKind::Video},        {"vtt", OutputKind::WebVtt},
        {"srt", OutputKind::SubRip},       {"chapters.txt", OutputKind::ChapterList},
    };
    return formats;
}

std::optional<OutputFormat> OutputFormatOf(const std::string& path)
{
    const std::string name = Lower(path.substr(path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1));
    // The longest match: "talk.chapters.txt" is a chapter list, not a ".txt".
    std::optional<OutputFormat> found;
    for (const OutputFormat& format : OutputFormats()) {
        const std::string suffix = "." + format.extension;
        if (name.size() >= suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0 &&
            (!found || format.extension.size() > found->extension.size()))
            found = format;
    }
    return found;
}

std::string OutputExtensionsText(const std::string& dot, const std::string& separator, const std::string& last,
                                 bool picturesOnly)
{
    std::vector<std::string> listed;
    for (const OutputFormat& format : OutputFormats())
        if (!picturesOnly || IsPicture(format.kind))
            listed.push_back(dot + format.extension);
    std::string text;
    for (size_t k = 0; k < listed.size(); ++k)
        text += (k == 0 ? "" : k + 1 == listed.size() ? last : separator) + listed[k];
    return text;
}

std::string LowerExtension(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    return Lower(path.substr(dot + 1));
}
