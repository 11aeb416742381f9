// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ffmpeg/wav_audio_source.h"

#include "core/deckrec_error.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <cmath>

WavAudioSource::WavAudioSource(const std::string& path)
{
    const AVInputFormat* wav = av_find_input_format("wav");
    if (!wav)
        throw AudioFileOpenError(OpenErrorText(AVERROR_DEMUXER_NOT_FOUND));
    const int result = avformat_open_input(&context_, path.c_str(), wav, nullptr);
    if (result < 0)
        throw AudioFileOpenError(OpenErrorText(result));
    const int index = av_find_best_stream(context_, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (index < 0) {
        avformat_close_input(&context_);
        throw DeckrecError("Unable to get audio stream");
    }
    stream_ = context_->streams[index];
    if (stream_->codecpar->codec_id == AV_CODEC_ID_NONE) {
        avformat_close_input(&context_);
        throw AudioFileOpenError(OpenErrorText(AVERROR_INVALIDDATA));
    }
}

WavAudioSource::~WavAudioSource()
{
    avformat_close_input(&context_);
}

bool WavAudioSource::read(AVPacket* packet, int& error)
{
    error = 0;
    for (;;) {
        const int result = av_read_frame(context_, packet);
        if (result == AVERROR_EOF)
            return false;
        if (result < 0) {
            error = result;
            return false;
        }
        if (packet->stream_index == stream_->index)
            return true;
        av_packet_unref(packet);
    }
}

std::string OpenErrorText(int code)
{
    switch (code) {
    case AVERROR_DEMUXER_NOT_FOUND:
        return "According to the registry, the type of audio file specified in AVIFileOpen does not have a "
               "handler to process it.";
    case AVERROR_INVALIDDATA:
    case AVERROR_EOF: // shorter than its own header
        return "The file could not be read, indicating a corrupt file or an unrecognized format.";
    case AVERROR(ENOMEM):
        return "The file could not be opened because of insufficient memory.";
    case AVERROR(EIO):
        return "A disk error occurred while reading the audio file.";
    case AVERROR(ENOENT):
    case AVERROR(EACCES):
    case AVERROR(EPERM):
    case AVERROR(EISDIR):
    case AVERROR(ENOTDIR):
    case AVERROR(ENAMETOOLONG):
    case AVERROR(ELOOP):
        return "A disk error occurred while opening the audio file.";
    default:
        return "Unknown error opening audio file";
    }
}

void MendAudioByteRate(AVCodecParameters* parameters)
{
    if (parameters->block_align <= 0 || parameters->sample_rate <= 0)
        return;
    const int samplesPerBlock = av_get_audio_frame_duration2(parameters, parameters->block_align);
    if (samplesPerBlock <= 0)
        return;
    const double bytesPerSecond =
        static_cast<double>(parameters->block_align) * parameters->sample_rate / samplesPerBlock;
    parameters->bit_rate = 8 * static_cast<int64_t>(std::llround(bytesPerSecond));
}
