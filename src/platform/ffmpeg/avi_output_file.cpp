// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ffmpeg/avi_output_file.h"

#include "platform/ffmpeg/libav_support.h"
#include "platform/ffmpeg/wav_audio_source.h"

extern "C" {
#include <libavutil/dict.h>
#include <libavutil/pixfmt.h>
}

#include <cstring>
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

AVPixelFormat RawFormat(int bitCount)
{
    return bitCount <= 8 ? AV_PIX_FMT_PAL8 : bitCount == 32 ? AV_PIX_FMT_BGRA : AV_PIX_FMT_BGR24;
}

void PutPalette(uint8_t* table, const std::vector<uint32_t>& palette)
{
    std::memset(table, 0, AVPALETTE_SIZE);
    for (size_t i = 0; i < palette.size() && i < AVPALETTE_COUNT; ++i) {
        const uint32_t argb = 0xFF000000u | palette[i];
        std::memcpy(table + 4 * i, &argb, 4);
    }
}

// Runs one step, turning every failure into the library's code.
template <typename F>
int Guarded(F&& step)
{
    try {
        step();
    } catch (const LibraryFailure& failure) {
        return failure.code;
    } catch (const EncoderError& failure) {
        return failure.code() < 0 ? failure.code() : AVERROR_UNKNOWN;
    } catch (const std::bad_alloc&) {
        return AVERROR(ENOMEM);
    }
    return 0;
}

} // namespace

class AviOutputFile::Job {
public:
    void create(const std::string& path)
    {
        AVFormatContext* output = nullptr;
        Check(avformat_alloc_output_context2(&output, nullptr, "avi", path.c_str()));
        output_.reset(output);
        Check(avio_open(&output_->pb, path.c_str(), AVIO_FLAG_WRITE));
    }

    void start(const AviStreamPlan& plan, EncoderFacility& facility)
    {
        plan_ = plan;
        frameBase_ = FrameTimeBase(plan.frameTime);
        video_ = avformat_new_stream(output_.get(), nullptr);
        if (!video_)
            throw std::bad_alloc();
        video_->time_base = frameBase_;
        if (plan.compress) {
            compressor_ = facility.openCompressor(plan.compression);
            compressor_->describeStream(video_->codecpar);
            prepareFrame();
        } else {
            describeStoredFrames();
        }
        if (plan.audio)
            addAudioStream();
        AVDictionary* options = nullptr;
        if (!plan.compress)
            av_dict_set(&options, "flipped_raw_rgb", "1", 0); // rows are stored bottom-up, as in a DIB
        const int header = avformat_write_header(output_.get(), &options);
        av_dict_free(&options);
        Check(header);
        started_ = true;
        readAudio();
    }

    void writeFrame(const Picture& frame)
    {
        if (compressor_) {
            fillFrame(frame);
            compressor_->compress(frame_.get(), sink());
        } else {
            storeFrame(frame);
        }
        ++frames_;
    }

    void finish()
    {
        if (compressor_)
            compressor_->compress(nullptr, sink());
        writeAudioUntil(INT64_MAX, AVRational{1, 1});
        Check(av_write_trailer(output_.get()));
        Check(avio_closep(&output_->pb));
        output_.reset();
    }

    bool open() const { return output_ != nullptr; }
    bool started() const { return started_; }

private:
    void describeStoredFrames()
    {
        AVCodecParameters* out = video_->codecpar;
        out->codec_type = AVMEDIA_TYPE_VIDEO;
        out->codec_id = AV_CODEC_ID_RAWVIDEO;
        out->codec_tag = 0; // BI_RGB
        out->width = plan_.width;
        out->height = plan_.height;
        // Packed 1- and 4-bit rows are declared as PAL8 too: the muxer then writes the colour
        // table, and the bit count tells readers how the rows are packed.
        out->bits_per_coded_sample = plan_.bitCount;
        out->format = RawFormat(plan_.bitCount);
    }

    // One frame buffer the pictures are copied into, top-down, for the encoder.
    void prepareFrame()
    {
        frame_.reset(av_frame_alloc());
        if (!frame_)
            throw std::bad_alloc();
        frame_->width = plan_.width;
        frame_->height = plan_.height;
        frame_->format = RawFormat(plan_.bitCount);
        Check(av_frame_get_buffer(frame_.get(), 0));
    }

    void fillFrame(const Picture& bitmap)
    {
        Check(av_frame_make_writable(frame_.get()));
        const int bits = plan_.bitCount;
        for (int y = 0; y < plan_.height; ++y) {
            const uint8_t* src = bitmap.scanLine(y);
            uint8_t* dst = frame_->data[0] + y * frame_->linesize[0];
            if (bits >= 24) {
                std::memcpy(dst, src, static_cast<size_t>(plan_.width * bits / 8));
                continue;
            }
            // One palette index a byte; packed rows hold the leftmost pixel in the highest bits.
            for (int x = 0; x < plan_.width; ++x) {
                const int bit = x * bits;
                dst[x] = static_cast<uint8_t>((src[bit / 8] >> (8 - bits - bit % 8)) & ((1 << bits) - 1));
            }
        }
        if (bits <= 8)
            PutPalette(frame_->data[1], plan_.palette);
    }

    void storeFrame(const Picture& bitmap)
    {
        PacketPtr packet(av_packet_alloc());
        if (!packet)
            throw std::bad_alloc();
        const size_t stride = static_cast<size_t>(bitmap.bytesPerLine());
        Check(av_new_packet(packet.get(), static_cast<int>(stride * static_cast<size_t>(bitmap.height()))));
        // Rows bottom-up, as a device-independent bitmap stores them.
        for (int y = 0; y < bitmap.height(); ++y)
            std::memcpy(packet->data + static_cast<size_t>(bitmap.height() - 1 - y) * stride, bitmap.scanLine(y), stride);
        packet->pts = packet->dts = frames_;
        packet->duration = 1;
        packet->flags |= AV_PKT_FLAG_KEY;
        // The colour table rides on the first frame into the format block.
        if (frames_ == 0 && !plan_.palette.empty()) {
            uint8_t* side = av_packet_new_side_data(packet.get(), AV_PKT_DATA_PALETTE, AVPALETTE_SIZE);
            if (!side)
                throw std::bad_alloc();
            PutPalette(side, plan_.palette);
        }
        packet->stream_index = video_->index;
        av_packet_rescale_ts(packet.get(), frameBase_, video_->time_base);
        writeVideo(packet.get());
    }

    PacketSink sink()
    {
        return [this](AVPacket* packet) {
            packet->stream_index = video_->index;
            if (packet->duration <= 0)
                packet->duration = 1;
            av_packet_rescale_ts(packet, frameBase_, video_->time_base);
            writeVideo(packet);
        };
    }

    void addAudioStream()
    {
        audio_ = avformat_new_stream(output_.get(), nullptr);
        if (!audio_)
            throw std::bad_alloc();
        const AVStream* in = plan_.audio->stream();
        Check(avcodec_parameters_copy(audio_->codecpar, in->codecpar));
        audio_->codecpar->codec_tag = 0; // the AVI table's tag for the codec
        MendAudioByteRate(audio_->codecpar);
        audio_->time_base = in->time_base;
        audioPacket_.reset(av_packet_alloc());
        if (!audioPacket_)
            throw std::bad_alloc();
    }

    void writeVideo(AVPacket* packet)
    {
        const int64_t when = packet->dts != AV_NOPTS_VALUE ? packet->dts : packet->pts;
        if (when != AV_NOPTS_VALUE)
            writeAudioUntil(when, video_->time_base);
        Check(av_interleaved_write_frame(output_.get(), packet));
    }

    // Sound goes in beside the pictures it plays with, so that the file interleaves.
    void writeAudioUntil(int64_t time, AVRational timeBase)
    {
        while (audioPending_) {
            const int64_t at = audioPacket_->pts != AV_NOPTS_VALUE ? audioPacket_->pts : 0;
            if (time != INT64_MAX && av_compare_ts(at, plan_.audio->stream()->time_base, time, timeBase) > 0)
                return;
            audioPacket_->stream_index = audio_->index;
            audioPacket_->pos = -1;
            av_packet_rescale_ts(audioPacket_.get(), plan_.audio->stream()->time_base, audio_->time_base);
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

    AviStreamPlan plan_;
    AVRational frameBase_{1, 1};
    OutputContextPtr output_;
    std::unique_ptr<FrameCompressor> compressor_;
    FramePtr frame_;
    PacketPtr audioPacket_;
    AVStream* video_ = nullptr;
    AVStream* audio_ = nullptr;
    int64_t frames_ = 0;
    bool audioPending_ = false;
    bool started_ = false;
};

AviOutputFile::AviOutputFile(EncoderFacility& facility) : facility_(facility) {}

AviOutputFile::~AviOutputFile() = default;

int AviOutputFile::create(const std::string& path)
{
    job_ = std::make_unique<Job>();
    const int result = Guarded([&] { job_->create(path); });
    if (result < 0)
        job_.reset();
    return result;
}

int AviOutputFile::start(const AviStreamPlan& plan)
{
    if (!job_ || job_->started())
        return AVERROR(EINVAL);
    return Guarded([&] { job_->start(plan, facility_); });
}

int AviOutputFile::writeFrame(const Picture& frame)
{
    if (!job_ || !job_->started())
        return AVERROR(EINVAL);
    return Guarded([&] { job_->writeFrame(frame); });
}

int AviOutputFile::finish()
{
    if (!job_ || !job_->started())
        return AVERROR(EINVAL);
    const int result = Guarded([&] { job_->finish(); });
    job_.reset();
    return result;
}

void AviOutputFile::abandon()
{
    job_.reset();
}

bool AviOutputFile::isOpen() const
{
    return job_ && job_->open();
}

bool AviOutputFile::started() const
{
    return job_ && job_->started();
}
