// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ffmpeg/container_format.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <cctype>
#include <filesystem>

const std::vector<VideoFormatInfo>& VideoFormats()
{
    static const std::vector<VideoFormatInfo> formats = {
        {VideoFormat::Avi, "AVI", "avi", "avi", "mpeg4", false, "", ""},
        // The index first: the video plays while it downloads.
        {VideoFormat::Mp4, "MP4", "mp4", "mp4", "libx264", true, "aac", "movflags=+faststart"},
        {VideoFormat::WebM, "WebM", "webm", "webm", "libvpx-vp9", true, "libopus", ""},
        // Matroska holds no ADPCM of WAV files: such sound goes in as plain PCM.
        {VideoFormat::Mkv, "MKV", "mkv", "matroska", "libx264", false, "", ""},
    };
    return formats;
}

const VideoFormatInfo& FormatInfo(VideoFormat format)
{
    for (const VideoFormatInfo& info : VideoFormats())
        if (info.format == format)
            return info;
    return VideoFormats().front();
}

std::optional<VideoFormat> FormatOfFileName(const std::string& path)
{
    std::string extension = std::filesystem::path(path).extension().string();
    if (extension.empty())
        return std::nullopt;
    extension.erase(0, 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const VideoFormatInfo& info : VideoFormats())
        if (extension == info.extension)
            return info.format;
    return std::nullopt;
}

bool FormatTakesEncoder(VideoFormat format, const std::string& encoderName)
{
    if (format == VideoFormat::Avi)
        return true;
    const AVCodec* codec = avcodec_find_encoder_by_name(encoderName.c_str());
    const AVOutputFormat* container = av_guess_format(FormatInfo(format).muxer, nullptr, nullptr);
    if (!codec || !container)
        return false;
    // Only what the container's own table names: an encoder that fits just by a foreign
    // FourCC plays in few players.
    return avformat_query_codec(container, codec->id, FF_COMPLIANCE_NORMAL) == 1;
}

std::string SoundEncoderFor(VideoFormat format, const std::string& wavCodecName)
{
    const VideoFormatInfo& info = FormatInfo(format);
    if (*info.soundEncoder)
        return info.soundEncoder;
    const AVCodecDescriptor* descriptor = avcodec_descriptor_get_by_name(wavCodecName.c_str());
    const AVOutputFormat* container = av_guess_format(info.muxer, nullptr, nullptr);
    if (descriptor && container && avformat_query_codec(container, descriptor->id, FF_COMPLIANCE_NORMAL) == 1)
        return "";
    return "pcm_s16le";
}
