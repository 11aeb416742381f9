#pragma once
// What every file that writes through FFmpeg's libraries shares: error texts, a checked call,
// and deleters, so that each context and frame is freed on every path. Included by .cpp files
// only, so that no header above this library sees libav.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/error.h>
#include <libavutil/frame.h>
}

#include "core/deckrec_error.h"

#include <string>

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
