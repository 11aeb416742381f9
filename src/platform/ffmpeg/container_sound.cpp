// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ffmpeg/container_sound.h"

#include "platform/ffmpeg/libav_support.h"
#include "platform/ffmpeg/wav_audio_source.h"
#include "core/deckrec_error.h"

extern "C" {
#include <libavutil/channel_layout.h>
}

#include <algorithm>

namespace {

// The encoder's sample rate nearest above the WAV's (Opus takes 48 kHz and a few below).
int ChooseRate(const AVCodec* codec, int wanted)
{
    if (!codec->supported_samplerates)
        return wanted;
    int best = 0;
    for (const int* r = codec->supported_samplerates; *r; ++r)
        if (*r >= wanted && (best == 0 || *r < best))
            best = *r;
    if (best == 0)
        for (const int* r = codec->supported_samplerates; *r; ++r)
            best = std::max(best, *r);
    return best;
}

AVSampleFormat ChooseSampleFormat(const AVCodec* codec)
{
    if (!codec->sample_fmts)
        return AV_SAMPLE_FMT_S16;
    for (const AVSampleFormat* f = codec->sample_fmts; *f != AV_SAMPLE_FMT_NONE; ++f)
        if (*f == AV_SAMPLE_FMT_S16 || *f == AV_SAMPLE_FMT_FLTP || *f == AV_SAMPLE_FMT_FLT)
            return *f;
    return codec->sample_fmts[0];
}

} // namespace

struct ContainerSound::State {
    WavAudioSource source;
    AVFormatContext* output = nullptr;
    AVStream* stream = nullptr;
    bool copy = false;
    bool sourceDone = false;
    bool pendingCopy = false; // packet holds a WAV packet not written yet
    CodecContextPtr decoder;
    CodecContextPtr encoder;
    std::unique_ptr<SwrContext, ResamplerFree> resampler;
    std::unique_ptr<AVAudioFifo, FifoFree> fifo;
    FramePtr frame = FramePtr(av_frame_alloc());
    PacketPtr packet = PacketPtr(av_packet_alloc());
    int64_t samplesQueued = 0;  // samples at the encoder's rate put into the fifo
    int64_t samplesEncoded = 0; // samples handed to the encoder

    explicit State(const std::string& path) : source(path) {}

    void write(AVPacket* p, AVRational from)
    {
        p->stream_index = stream->index;
        av_packet_rescale_ts(p, from, stream->time_base);
        CheckLibav(av_interleaved_write_frame(output, p), "Could not write the sound");
    }

    // Copies the WAV's packets that start before the limit; the first one at or past it
    // waits for the next call, and the end drops it.
    void copyUntil(int64_t milliseconds)
    {
        const AVRational inBase = source.stream()->time_base;
        while (!sourceDone) {
            if (!pendingCopy) {
                int error = 0;
                if (!source.read(packet.get(), error)) {
                    CheckLibav(error, "Could not read the sound");
                    sourceDone = true;
                    break;
                }
                pendingCopy = true;
            }
            if (packet->pts != AV_NOPTS_VALUE &&
                av_rescale_q(packet->pts, inBase, AVRational{1, 1000}) >= milliseconds)
                return;
            pendingCopy = false;
            write(packet.get(), inBase);
            av_packet_unref(packet.get());
        }
    }

    int64_t limitSamples(int64_t milliseconds) const
    {
        return av_rescale(milliseconds, encoder->sample_rate, 1000);
    }

    // Decodes WAV packets into the fifo until it holds the sound up to the limit.
    void decodeUntil(int64_t limit)
    {
        while (!sourceDone && samplesQueued < limit) {
            int error = 0;
            if (!source.read(packet.get(), error)) {
                CheckLibav(error, "Could not read the sound");
                sourceDone = true;
                CheckLibav(avcodec_send_packet(decoder.get(), nullptr), "Could not decode the sound");
            } else {
                const int sent = avcodec_send_packet(decoder.get(), packet.get());
                av_packet_unref(packet.get());
                CheckLibav(sent, "Could not decode the sound");
            }
            for (;;) {
                const int got = avcodec_receive_frame(decoder.get(), frame.get());
                if (got == AVERROR(EAGAIN) || got == AVERROR_EOF)
                    break;
                CheckLibav(got, "Could not decode the sound");
                queue(frame.get());
                av_frame_unref(frame.get());
            }
        }
    }

    void queue(const AVFrame* decoded)
    {
        const int room = swr_get_out_samples(resampler.get(), decoded->nb_samples);
        uint8_t** planes = nullptr;
        CheckLibav(av_samples_alloc_array_and_samples(&planes, nullptr, encoder->ch_layout.nb_channels, room,
                                                 encoder->sample_fmt, 0),
              "Out of memory");
        const int converted = swr_convert(resampler.get(), planes, room,
                                          const_cast<const uint8_t**>(decoded->extended_data), decoded->nb_samples);
        int result = converted;
        if (converted > 0)
            result = av_audio_fifo_write(fifo.get(), reinterpret_cast<void**>(planes), converted);
        av_freep(&planes[0]);
        av_freep(&planes);
        CheckLibav(result, "Could not convert the sound");
        samplesQueued += std::max(converted, 0);
    }

    // Encodes whole encoder frames from the fifo while they lie before the limit; at the end
    // also the last, shorter one.
    void encodeUntil(int64_t limit, bool last)
    {
        const int frameSize = encoder->frame_size > 0 ? encoder->frame_size : 1024;
        for (;;) {
            const int64_t wanted = std::min<int64_t>(frameSize, limit - samplesEncoded);
            const int available = av_audio_fifo_size(fifo.get());
            int take = static_cast<int>(std::min<int64_t>(wanted, available));
            if (take <= 0 || (take < frameSize && !last))
                break;
            FramePtr chunk(av_frame_alloc());
            chunk->nb_samples = take;
            chunk->format = encoder->sample_fmt;
            chunk->sample_rate = encoder->sample_rate;
            CheckLibav(av_channel_layout_copy(&chunk->ch_layout, &encoder->ch_layout), "Out of memory");
            CheckLibav(av_frame_get_buffer(chunk.get(), 0), "Out of memory");
            CheckLibav(av_audio_fifo_read(fifo.get(), reinterpret_cast<void**>(chunk->data), take), "Could not convert the sound");
            chunk->pts = samplesEncoded;
            samplesEncoded += take;
            CheckLibav(avcodec_send_frame(encoder.get(), chunk.get()), "Could not encode the sound");
            drainPackets();
            if (take < frameSize)
                break;
        }
    }

    void drainPackets()
    {
        for (;;) {
            const int got = avcodec_receive_packet(encoder.get(), packet.get());
            if (got == AVERROR(EAGAIN) || got == AVERROR_EOF)
                return;
            CheckLibav(got, "Could not encode the sound");
            write(packet.get(), encoder->time_base);
            av_packet_unref(packet.get());
        }
    }
};

ContainerSound::ContainerSound(const std::string& wavPath, AVFormatContext* output, const std::string& encoderName)
    : state_(std::make_unique<State>(wavPath))
{
    State& s = *state_;
    if (!s.frame || !s.packet)
        throw DeckrecError("Out of memory");
    s.output = output;
    s.stream = avformat_new_stream(output, nullptr);
    if (!s.stream)
        throw DeckrecError("Out of memory");
    const AVCodecParameters* in = s.source.stream()->codecpar;
    if (encoderName.empty()) {
        s.copy = true;
        CheckLibav(avcodec_parameters_copy(s.stream->codecpar, in), "Sound stream");
        s.stream->codecpar->codec_tag = 0;
        s.stream->time_base = s.source.stream()->time_base;
        return;
    }

    const AVCodec* decoderCodec = avcodec_find_decoder(in->codec_id);
    if (!decoderCodec)
        throw DeckrecError("No decoder for the sound's codec");
    s.decoder.reset(avcodec_alloc_context3(decoderCodec));
    if (!s.decoder)
        throw DeckrecError("Out of memory");
    CheckLibav(avcodec_parameters_to_context(s.decoder.get(), in), "Sound stream");
    CheckLibav(avcodec_open2(s.decoder.get(), decoderCodec, nullptr), "Could not decode the sound");

    const AVCodec* encoderCodec = avcodec_find_encoder_by_name(encoderName.c_str());
    if (!encoderCodec)
        throw DeckrecError("No sound encoder " + encoderName + " available");
    s.encoder.reset(avcodec_alloc_context3(encoderCodec));
    if (!s.encoder)
        throw DeckrecError("Out of memory");
    AVCodecContext* enc = s.encoder.get();
    const int channels = std::clamp(in->ch_layout.nb_channels, 1, 2);
    av_channel_layout_default(&enc->ch_layout, channels);
    enc->sample_rate = ChooseRate(encoderCodec, in->sample_rate);
    enc->sample_fmt = ChooseSampleFormat(encoderCodec);
    enc->time_base = AVRational{1, enc->sample_rate};
    if (encoderCodec->id != AV_CODEC_ID_PCM_S16LE)
        enc->bit_rate = 64000 * channels;
    if (output->oformat->flags & AVFMT_GLOBALHEADER)
        enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    CheckLibav(avcodec_open2(enc, encoderCodec, nullptr), "The sound encoder would not open");
    CheckLibav(avcodec_parameters_from_context(s.stream->codecpar, enc), "Sound stream");
    s.stream->time_base = enc->time_base;

    SwrContext* swr = nullptr;
    AVChannelLayout inLayout;
    if (in->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || in->ch_layout.nb_channels <= 0)
        av_channel_layout_default(&inLayout, std::max(in->ch_layout.nb_channels, 1));
    else
        CheckLibav(av_channel_layout_copy(&inLayout, &in->ch_layout), "Out of memory");
    const int made = swr_alloc_set_opts2(&swr, &enc->ch_layout, enc->sample_fmt, enc->sample_rate, &inLayout,
                                         s.decoder->sample_fmt, in->sample_rate, 0, nullptr);
    av_channel_layout_uninit(&inLayout);
    s.resampler.reset(swr);
    CheckLibav(made, "Sound conversion");
    CheckLibav(swr_init(swr), "Sound conversion");
    s.fifo.reset(av_audio_fifo_alloc(enc->sample_fmt, enc->ch_layout.nb_channels, 4096));
    if (!s.fifo)
        throw DeckrecError("Out of memory");
}

ContainerSound::~ContainerSound() = default;

void ContainerSound::writeUntil(int64_t milliseconds)
{
    State& s = *state_;
    if (s.copy) {
        s.copyUntil(milliseconds);
        return;
    }
    const int64_t limit = s.limitSamples(milliseconds);
    s.decodeUntil(limit);
    s.encodeUntil(limit, false);
}

void ContainerSound::finish(int64_t milliseconds)
{
    State& s = *state_;
    if (s.copy) {
        s.copyUntil(milliseconds);
        return;
    }
    const int64_t limit = s.limitSamples(milliseconds);
    s.decodeUntil(limit);
    if (s.sourceDone && s.samplesQueued < limit) {
        // The resampler holds back a few samples; they end the sound.
        const int room = swr_get_out_samples(s.resampler.get(), 0);
        if (room > 0) {
            uint8_t** planes = nullptr;
            CheckLibav(av_samples_alloc_array_and_samples(&planes, nullptr, s.encoder->ch_layout.nb_channels, room,
                                                     s.encoder->sample_fmt, 0),
                  "Out of memory");
            const int flushed = swr_convert(s.resampler.get(), planes, room, nullptr, 0);
            if (flushed > 0)
                av_audio_fifo_write(s.fifo.get(), reinterpret_cast<void**>(planes), flushed);
            av_freep(&planes[0]);
            av_freep(&planes);
        }
    }
    s.encodeUntil(limit, true);
    CheckLibav(avcodec_send_frame(s.encoder.get(), nullptr), "Could not encode the sound");
    s.drainPackets();
}
