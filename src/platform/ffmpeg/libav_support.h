// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What every file of this library that calls FFmpeg shares: the text of a library error code,
// a checked call, and one deleter per kind of library object, so that each context, frame and
// packet is freed on every path. Included by this library's .cpp files only: no header seen
// by the layers above includes libav.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/error.h>
#include <libavutil/frame.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include "core/deckrec_error.h"
#include "core/frame_period.h"

#include <memory>
#include <string>

// The time base of frames periodMs apart: {150, 1000} for 150 ms, {1, 30} for 30 a second.
inline AVRational FrameTimeBase(double periodMs)
{
    const PeriodFraction period = PeriodAsFraction(periodMs);
    AVRational base{};
    av_reduce(&base.num, &base.den, period.numerator, period.denominator * 1000, 1 << 30);
    // A whole number of ms keeps the millisecond base its files have always had.
    return period.denominator == 1 ? AVRational{static_cast<int>(period.numerator), 1000} : base;
}

inline std::string LibavErrorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

// Throws DeckrecError("what: reason") for a negative libav result.
inline void CheckLibav(int result, const std::string& what)
{
    if (result < 0)
        throw DeckrecError(what + ": " + LibavErrorText(result));
}

struct CodecContextFree {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameFree {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFree {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
// An output file's context: its file is closed (as it stands) and the context freed.
struct OutputContextFree {
    void operator()(AVFormatContext* context) const
    {
        if (context->pb)
            avio_closep(&context->pb);
        avformat_free_context(context);
    }
};
struct ScalerFree {
    void operator()(SwsContext* scaler) const { sws_freeContext(scaler); }
};
struct ResamplerFree {
    void operator()(SwrContext* resampler) const { swr_free(&resampler); }
};
struct FifoFree {
    void operator()(AVAudioFifo* fifo) const { av_audio_fifo_free(fifo); }
};

using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextFree>;
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;
using OutputContextPtr = std::unique_ptr<AVFormatContext, OutputContextFree>;
