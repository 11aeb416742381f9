// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ffmpeg/ffmpeg_frame_compressor.h"

#include "platform/ffmpeg/ffmpeg_encoder_quality.h"
#include "platform/ffmpeg/libav_support.h"

extern "C" {
#include <libavutil/dict.h>
#include <libavutil/pixdesc.h>
}

#include <cstring>

namespace {

// From this quality up (crf 14 and finer) x264 keeps its default preset.
constexpr int kCarefulX264Quality = 7500;

bool Supports(const AVCodec* codec, AVPixelFormat format)
{
    if (!codec->pix_fmts)
        return false;
    for (const AVPixelFormat* p = codec->pix_fmts; *p != AV_PIX_FMT_NONE; ++p)
        if (*p == format)
            return true;
    return false;
}

bool Lossy(const AVCodec* codec)
{
    const AVCodecDescriptor* descriptor = avcodec_descriptor_get(codec->id);
    return descriptor && (descriptor->props & AV_CODEC_PROP_LOSSY);
}

void Check(int result, const char* what)
{
    if (result < 0)
        throw EncoderError(std::string(what) + ": " + LibavErrorText(result), result);
}

class FfmpegFrameCompressor : public FrameCompressor {
public:
    FfmpegFrameCompressor(CodecContextPtr ctx, unsigned tag)
        : ctx_(std::move(ctx)), tag_(tag), packet_(av_packet_alloc())
    {
        if (!packet_)
            throw EncoderError("Out of memory", AVERROR(ENOMEM));
    }

    void describeStream(AVCodecParameters* parameters) const override
    {
        Check(avcodec_parameters_from_context(parameters, ctx_.get()), "Stream description");
        parameters->codec_tag = tag_;
    }

    void compress(const AVFrame* frame, const PacketSink& sink) override
    {
        if (frame)
            send(convert(*frame), sink);
        else if (!drained_) {
            drained_ = true;
            Check(avcodec_send_frame(ctx_.get(), nullptr), "Compression");
        }
        receive(sink);
    }

    // The converted buffer still holds the picture: the encoder only read it, and a later
    // conversion writes into a fresh buffer while the encoder keeps a reference.
    void compressSame(const AVFrame* frame, const PacketSink& sink) override
    {
        if (!frame || !converted_ || drained_)
            return compress(frame, sink);
        send(converted_.get(), sink);
        receive(sink);
    }

private:
    void send(AVFrame* converted, const PacketSink& sink)
    {
        converted->pts = nextPts_++;
        converted->pict_type = AV_PICTURE_TYPE_NONE;
        // Fixed-quantiser encoders read the quantiser from each frame.
        converted->quality = (ctx_->flags & AV_CODEC_FLAG_QSCALE) ? ctx_->global_quality : 0;
        int result = avcodec_send_frame(ctx_.get(), converted);
        if (result == AVERROR(EAGAIN)) {
            // The encoder holds finished packets first: take them, then it takes the frame.
            receive(sink);
            result = avcodec_send_frame(ctx_.get(), converted);
        }
        Check(result, "Compression");
    }

    void receive(const PacketSink& sink)
    {
        for (;;) {
            const int result = avcodec_receive_packet(ctx_.get(), packet_.get());
            if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
                return;
            Check(result, "Compression");
            sink(packet_.get());
            av_packet_unref(packet_.get());
        }
    }

    // The frame in the encoder's pixel format, in a buffer this compressor owns.
    AVFrame* convert(const AVFrame& frame)
    {
        const AVPixelFormat target = ctx_->pix_fmt;
        if (!converted_) {
            converted_.reset(av_frame_alloc());
            if (!converted_)
                throw EncoderError("Out of memory", AVERROR(ENOMEM));
            converted_->format = target;
            converted_->width = ctx_->width;
            converted_->height = ctx_->height;
            Check(av_frame_get_buffer(converted_.get(), 0), "Frame buffer");
        }
        Check(av_frame_make_writable(converted_.get()), "Frame buffer");
        if (frame.width != ctx_->width || frame.height != ctx_->height)
            throw EncoderError("Frame size differs from the stream's", AVERROR(EINVAL));
        const auto source = static_cast<AVPixelFormat>(frame.format);
        if (target == AV_PIX_FMT_PAL8 && source == AV_PIX_FMT_PAL8)
            copyPalettised(frame);
        else if ((target == AV_PIX_FMT_MONOBLACK || target == AV_PIX_FMT_MONOWHITE) && source == AV_PIX_FMT_PAL8)
            packMonochrome(frame, target == AV_PIX_FMT_MONOWHITE);
        else
            scale(frame, source == AV_PIX_FMT_BGRA ? AV_PIX_FMT_BGR0 : source);
        return converted_.get();
    }

    void copyPalettised(const AVFrame& frame)
    {
        for (int y = 0; y < frame.height; ++y)
            std::memcpy(converted_->data[0] + y * converted_->linesize[0], frame.data[0] + y * frame.linesize[0],
                        static_cast<size_t>(frame.width));
        std::memcpy(converted_->data[1], frame.data[1], AVPALETTE_SIZE);
    }

    // One-bit frames come as palette indexes 0 (black) and 1 (white).
    void packMonochrome(const AVFrame& frame, bool oneIsBlack)
    {
        for (int y = 0; y < frame.height; ++y) {
            const uint8_t* src = frame.data[0] + y * frame.linesize[0];
            uint8_t* dst = converted_->data[0] + y * converted_->linesize[0];
            std::memset(dst, 0, static_cast<size_t>((frame.width + 7) / 8));
            for (int x = 0; x < frame.width; ++x) {
                const bool white = src[x] != 0;
                if (white != oneIsBlack)
                    dst[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            }
        }
    }

    void scale(const AVFrame& frame, AVPixelFormat source)
    {
        scaler_.reset(sws_getCachedContext(scaler_.release(), frame.width, frame.height, source, ctx_->width,
                                           ctx_->height, ctx_->pix_fmt, SWS_BICUBIC | SWS_ACCURATE_RND, nullptr,
                                           nullptr, nullptr));
        if (!scaler_)
            throw EncoderError("No conversion to the encoder's pixel format", AVERROR(ENOSYS));
        Check(sws_scale(scaler_.get(), frame.data, frame.linesize, 0, frame.height, converted_->data,
                        converted_->linesize),
              "Conversion");
    }

    CodecContextPtr ctx_;
    unsigned tag_;
    PacketPtr packet_;
    FramePtr converted_;
    std::unique_ptr<SwsContext, ScalerFree> scaler_;
    int64_t nextPts_ = 0;
    bool drained_ = false;
};

} // namespace

int EncoderPixelFormat(const AVCodec* codec, int bitCount)
{
    switch (bitCount) {
    case 1:
        for (AVPixelFormat f : {AV_PIX_FMT_MONOBLACK, AV_PIX_FMT_MONOWHITE, AV_PIX_FMT_PAL8})
            if (Supports(codec, f))
                return f;
        return -1;
    case 4:
    case 8:
        return Supports(codec, AV_PIX_FMT_PAL8) ? AV_PIX_FMT_PAL8 : -1;
    case 24:
    case 32:
        break;
    default:
        return -1;
    }
    if (!codec->pix_fmts)
        return AV_PIX_FMT_BGR24;
    if (Lossy(codec))
        for (const AVPixelFormat* p = codec->pix_fmts; *p != AV_PIX_FMT_NONE; ++p)
            if (*p == AV_PIX_FMT_YUV420P || *p == AV_PIX_FMT_YUVJ420P)
                return *p; // whichever the encoder lists first is its usual one
    const AVPixelFormat source = bitCount == 32 ? AV_PIX_FMT_BGR0 : AV_PIX_FMT_BGR24;
    int loss = 0;
    return avcodec_find_best_pix_fmt_of_list(codec->pix_fmts, source, 0, &loss);
}

std::unique_ptr<FrameCompressor> OpenFfmpegCompressor(const AVCodec* codec, unsigned tag,
                                                      const CompressorSettings& settings,
                                                      const std::map<std::string, std::string>& options,
                                                      int threads)
{
    const int format = EncoderPixelFormat(codec, settings.bitCount);
    if (format < 0)
        throw EncoderError("The encoder takes no frames of this bit depth", AVERROR(EINVAL));
    if (settings.width <= 0 || settings.height <= 0 || settings.frameTime <= 0)
        throw EncoderError("Invalid frame size or frame time", AVERROR(EINVAL));
    CodecContextPtr ctx(avcodec_alloc_context3(codec));
    if (!ctx)
        throw EncoderError("Out of memory", AVERROR(ENOMEM));
    ctx->width = settings.width;
    ctx->height = settings.height;
    ctx->pix_fmt = static_cast<AVPixelFormat>(format);
    ctx->time_base = FrameTimeBase(settings.frameTime);
    ctx->framerate = av_inv_q(ctx->time_base);
    ctx->sample_aspect_ratio = AVRational{1, 1};
    ctx->thread_count = threads;
    if (settings.keyFrameEvery > 0)
        ctx->gop_size = settings.keyFrameEvery;
    const AVPixFmtDescriptor* pixels = av_pix_fmt_desc_get(ctx->pix_fmt);
    if (pixels && !(pixels->flags & (AV_PIX_FMT_FLAG_RGB | AV_PIX_FMT_FLAG_PAL)) && pixels->nb_components >= 3) {
        // The conversion writes BT.601; say so, so that players convert back the same way.
        ctx->colorspace = AVCOL_SPC_BT470BG;
        ctx->color_range = ctx->pix_fmt == AV_PIX_FMT_YUVJ420P ? AVCOL_RANGE_JPEG : AVCOL_RANGE_MPEG;
    }
    ApplyQuality(ctx.get(), settings.quality);
    if (settings.globalHeader)
        ctx->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;

    AVDictionary* dictionary = nullptr;
    if (settings.quick && std::strcmp(codec->name, "libvpx-vp9") == 0) {
        // VP9's default "good" deadline takes seconds a frame on a small machine.
        av_dict_set(&dictionary, "deadline", "realtime", 0);
        av_dict_set(&dictionary, "cpu-used", "8", 0);
        av_dict_set(&dictionary, "row-mt", "1", 0);
    }
    if (settings.quick && settings.quality < kCarefulX264Quality &&
        (std::strcmp(codec->name, "libx264") == 0 || std::strcmp(codec->name, "libx264rgb") == 0)) {
        // x264's default preset keeps a 1280 x 720 export near 60 slots a second on two cores;
        // "veryfast" runs it about 1.6 times as fast, and on slides costs about 1 dB where the
        // picture is near 50 dB, with a smaller file. A user who asks for the best pictures
        // gets the default's finer search.
        av_dict_set(&dictionary, "preset", "veryfast", 0);
    }
    for (const auto& [name, value] : options)
        av_dict_set(&dictionary, name.c_str(), value.c_str(), 0);
    const int result = avcodec_open2(ctx.get(), codec, &dictionary);
    av_dict_free(&dictionary);
    Check(result, "The encoder would not open");
    return std::make_unique<FfmpegFrameCompressor>(std::move(ctx), tag);
}
