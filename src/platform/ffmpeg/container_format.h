// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The files the video export writes: AVI and the containers MP4, WebM and Matroska, each with
// the encoders and sound codecs it can hold, its file extension and its default encoder. A
// new format is one more value and one more row of the table (container_format.cpp); the
// pages, the command line and the muxing all read the table.

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
    // The encoder the recording's sound is re-encoded with; empty: the WAV's own packets are
    // copied where the container holds their codec, else the samples go in as plain PCM.
    const char* soundEncoder;
    // Muxer options, "key=value" pairs separated by ':'; empty for none.
    const char* muxerOptions;
};

// Every format in the order the page lists them; AVI first.
const std::vector<VideoFormatInfo>& VideoFormats();
const VideoFormatInfo& FormatInfo(VideoFormat format);

// The format a file name's extension names (letter case ignored), if any.
std::optional<VideoFormat> FormatOfFileName(const std::string& path);

// True when the container can hold the pictures of this libavcodec encoder (by its name,
// e.g. "libx264"). Every encoder of the catalogue fits AVI.
bool FormatTakesEncoder(VideoFormat format, const std::string& encoderName);

// The sound encoder a format's players expect for a WAV of the given libavcodec codec name:
// the format's own (AAC for MP4, Opus for WebM), else empty (the WAV's packets copied) where
// the container holds the WAV's codec, else "pcm_s16le".
std::string SoundEncoderFor(VideoFormat format, const std::string& wavCodecName);
