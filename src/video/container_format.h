#pragma once
// The files the video export writes besides AVI: MP4, WebM and Matroska, each with the
// encoders and sound codecs it can hold, its file extension and its default encoder.

#include <optional>
#include <string>
#include <vector>

enum class VideoFormat { Avi, Mp4, WebM, Mkv };

struct VideoFormatInfo {
    VideoFormat format;
    const char* name;           // as the page shows it: "AVI", "MP4", "WebM", "MKV"
    const char* extension;      // without the dot
    const char* muxer;          // libavformat's name for the container
    const char* defaultEncoder; // libavcodec encoder chosen when the format is picked
    bool trueColourOnly;        // takes 24-bit pictures only (browsers decode nothing else)
};

// Every format in the order the page lists them; AVI first.
const std::vector<VideoFormatInfo>& VideoFormats();
const VideoFormatInfo& FormatInfo(VideoFormat format);

// The format a file name's extension names (letter case ignored), if any.
std::optional<VideoFormat> FormatOfFileName(const std::string& path);

// True when the container can hold the pictures of this libavcodec encoder (by its name,
// e.g. "libx264"). Every encoder of the catalogue fits AVI.
bool FormatTakesEncoder(VideoFormat format, const std::string& encoderName);
