#include "avi/avi_output_file.h"

#include "avi/libav_support.h"
#include "avi/wav_audio_source.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/pixfmt.h>
}

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

namespace {

struct LibraryFailure {
    int code;
};

void Check(int result)
{
    if (result < 0)
        throw LibraryFailure{result};
}

struct InputFree {
    void operator()(AVFormatContext* ctx) const { avformat_close_input(&ctx); }
};
struct OutputFree {
    void operator()(AVFormatContext* ctx) const
    {
        if (ctx->pb)
            avio_closep(&ctx->pb);
        avformat_free_context(ctx);
    }
};
struct DecoderFree {
    void operator()(AVCodecContext* ctx) const { avcodec_free_context(&ctx); }
};

AVPixelFormat RawFormat(int bitCount)
{
    return bitCount <= 8 ? AV_PIX_FMT_PAL8 : bitCount == 32 ? AV_PIX_FMT_BGRA : AV_PIX_FMT_BGR24;
}

class OutputJob {
public:
    OutputJob(const AviOutputPlan& plan, EncoderFacility& facility) : plan_(plan), facility_(facility) {}

    void run()
    {
        openInput();
        openOutput();
        Check(avio_open(&output_->pb, plan_.outputPath.c_str(), AVIO_FLAG_WRITE));
        created_ = true;
        AVDictionary* options = nullptr;
        if (!plan_.compress)
            av_dict_set(&options, "flipped_raw_rgb", "1", 0);
        const int header = avformat_write_header(output_.get(), &options);
        av_dict_free(&options);
        Check(header);
        readAudio();
        transferVideo();
        writeAudioUntil(INT64_MAX, AVRational{1, 1});
        Check(av_write_trailer(output_.get()));
        Check(avio_closep(&output_->pb));
    }

    bool created() const { return created_; }

private:
    void openInput()
    {
        AVFormatContext* input = nullptr;
        Check(avformat_open_input(&input, plan_.temporaryPath.c_str(), nullptr, nullptr));
        input_.reset(input);
        if (input_->nb_streams < 1 || input_->streams[0]->codecpar->codec_type != AVMEDIA_TYPE_VIDEO)
            throw LibraryFailure{AVERROR_INVALIDDATA};
        videoIn_ = input_->streams[0];
        packet_.reset(av_packet_alloc());
        if (!packet_)
            throw std::bad_alloc();
    }

    void openOutput()
    {
        AVFormatContext* output = nullptr;
        Check(avformat_alloc_output_context2(&output, nullptr, "avi", plan_.outputPath.c_str()));
        output_.reset(output);
        videoOut_ = avformat_new_stream(output_.get(), nullptr);
        if (!videoOut_)
            throw std::bad_alloc();
        if (plan_.compress)
            prepareCompression();
        else
            prepareCopy();
        if (plan_.audio)
            addAudioStream();
    }

    void prepareCopy()
    {
        // A clean description of the frames: the reader's extras (such as its bottom-up
        // marker) must not end up in the format block.
        const AVCodecParameters* in = videoIn_->codecpar;
        AVCodecParameters* out = videoOut_->codecpar;
        out->codec_type = AVMEDIA_TYPE_VIDEO;
        out->codec_id = AV_CODEC_ID_RAWVIDEO;
        out->codec_tag = 0;
        out->width = in->width;
        out->height = in->height;
        out->bits_per_coded_sample = in->bits_per_coded_sample;
        out->format = RawFormat(in->bits_per_coded_sample);
        videoOut_->time_base = videoIn_->time_base;
    }

    void prepareCompression()
    {
        const AVCodec* raw = avcodec_find_decoder(AV_CODEC_ID_RAWVIDEO);
        decoder_.reset(avcodec_alloc_context3(raw));
        if (!decoder_)
            throw std::bad_alloc();
        Check(avcodec_parameters_to_context(decoder_.get(), videoIn_->codecpar));
        decoder_->pix_fmt = RawFormat(videoIn_->codecpar->bits_per_coded_sample);
        Check(avcodec_open2(decoder_.get(), raw, nullptr));
        frame_.reset(av_frame_alloc());
        if (!frame_)
            throw std::bad_alloc();
        compressor_ = facility_.openCompressor(plan_.compression);
        compressor_->describeStream(videoOut_->codecpar);
        videoOut_->time_base = AVRational{plan_.compression.frameTime, 1000};
    }

    void addAudioStream()
    {
        audioOut_ = avformat_new_stream(output_.get(), nullptr);
        if (!audioOut_)
            throw std::bad_alloc();
        const AVStream* in = plan_.audio->stream();
        Check(avcodec_parameters_copy(audioOut_->codecpar, in->codecpar));
        audioOut_->codecpar->codec_tag = 0; // the AVI table's tag for the codec
        MendAudioByteRate(audioOut_->codecpar);
        audioOut_->time_base = in->time_base;
        audioPacket_.reset(av_packet_alloc());
        if (!audioPacket_)
            throw std::bad_alloc();
    }

    void transferVideo()
    {
        int64_t frames = 0;
        for (;;) {
            const int result = av_read_frame(input_.get(), packet_.get());
            if (result == AVERROR_EOF)
                break;
            Check(result);
            if (packet_->stream_index == videoIn_->index) {
                if (plan_.compress)
                    decodeAndCompress(packet_.get());
                else
                    copyFrame(packet_.get(), frames);
                reportProgress(++frames);
            }
            av_packet_unref(packet_.get());
        }
        if (plan_.compress) {
            decodeAndCompress(nullptr);
            compressor_->compress(nullptr, sink());
        }
    }

    void copyFrame(AVPacket* packet, int64_t index)
    {
        if (index == 0 && !plan_.palette.empty())
            attachPalette(packet);
        packet->stream_index = videoOut_->index;
        packet->pos = -1;
        av_packet_rescale_ts(packet, videoIn_->time_base, videoOut_->time_base);
        writeVideo(packet);
    }

    // The frames' own colour table rides on the first frame into the format block.
    void attachPalette(AVPacket* packet)
    {
        size_t size = 0;
        uint8_t* side = av_packet_get_side_data(packet, AV_PKT_DATA_PALETTE, &size);
        if (!side || size < AVPALETTE_SIZE)
            side = av_packet_new_side_data(packet, AV_PKT_DATA_PALETTE, AVPALETTE_SIZE);
        if (!side)
            throw std::bad_alloc();
        std::memset(side, 0, AVPALETTE_SIZE);
        for (size_t i = 0; i < plan_.palette.size() && i < AVPALETTE_COUNT; ++i) {
            const uint32_t argb = 0xFF000000u | plan_.palette[i];
            std::memcpy(side + 4 * i, &argb, 4);
        }
    }

    void decodeAndCompress(AVPacket* packet)
    {
        Check(avcodec_send_packet(decoder_.get(), packet));
        for (;;) {
            const int result = avcodec_receive_frame(decoder_.get(), frame_.get());
            if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
                return;
            Check(result);
            compressor_->compress(frame_.get(), sink());
            av_frame_unref(frame_.get());
        }
    }

    PacketSink sink()
    {
        return [this](AVPacket* packet) {
            packet->stream_index = videoOut_->index;
            if (packet->duration <= 0)
                packet->duration = 1;
            av_packet_rescale_ts(packet, AVRational{plan_.compression.frameTime, 1000}, videoOut_->time_base);
            writeVideo(packet);
        };
    }

    void writeVideo(AVPacket* packet)
    {
        const int64_t when = packet->dts != AV_NOPTS_VALUE ? packet->dts : packet->pts;
        if (when != AV_NOPTS_VALUE)
            writeAudioUntil(when, videoOut_->time_base);
        Check(av_interleaved_write_frame(output_.get(), packet));
    }

    // Audio goes in beside the video it plays with, so that the file interleaves.
    void writeAudioUntil(int64_t time, AVRational timeBase)
    {
        while (audioPending_) {
            const int64_t at = audioPacket_->pts != AV_NOPTS_VALUE ? audioPacket_->pts : 0;
            if (time != INT64_MAX && av_compare_ts(at, plan_.audio->stream()->time_base, time, timeBase) > 0)
                return;
            audioPacket_->stream_index = audioOut_->index;
            audioPacket_->pos = -1;
            av_packet_rescale_ts(audioPacket_.get(), plan_.audio->stream()->time_base, audioOut_->time_base);
            Check(av_interleaved_write_frame(output_.get(), audioPacket_.get()));
            readAudio();
        }
    }

    void readAudio()
    {
        audioPending_ = false;
        if (!plan_.audio)
            return;
        int error = 0;
        audioPending_ = plan_.audio->read(audioPacket_.get(), error);
        Check(error);
    }

    void reportProgress(int64_t frames)
    {
        if (!plan_.progress || plan_.frameCount <= 0)
            return;
        const int percent = static_cast<int>(std::min<int64_t>(100, frames * 100 / plan_.frameCount));
        if (percent != lastPercent_) {
            lastPercent_ = percent;
            plan_.progress(percent);
        }
    }

    const AviOutputPlan& plan_;
    EncoderFacility& facility_;
    std::unique_ptr<AVFormatContext, InputFree> input_;
    std::unique_ptr<AVFormatContext, OutputFree> output_;
    std::unique_ptr<AVCodecContext, DecoderFree> decoder_;
    std::unique_ptr<AVPacket, PacketFree> packet_;
    std::unique_ptr<AVPacket, PacketFree> audioPacket_;
    std::unique_ptr<AVFrame, FrameFree> frame_;
    std::unique_ptr<FrameCompressor> compressor_;
    AVStream* videoIn_ = nullptr;
    AVStream* videoOut_ = nullptr;
    AVStream* audioOut_ = nullptr;
    bool audioPending_ = false;
    bool created_ = false;
    int lastPercent_ = -1;
};

} // namespace

int WriteAviOutput(const AviOutputPlan& plan, EncoderFacility& facility)
{
    int code = 0;
    bool created = false;
    {
        OutputJob job(plan, facility);
        try {
            job.run();
        } catch (const LibraryFailure& failure) {
            code = failure.code;
        } catch (const EncoderError& failure) {
            code = failure.code() < 0 ? failure.code() : AVERROR_UNKNOWN;
        } catch (const std::bad_alloc&) {
            code = AVERROR(ENOMEM);
        }
        created = job.created();
    } // the job closes its files here
    if (code < 0 && created)
        std::remove(plan.outputPath.c_str());
    return code;
}
