#include "platform/ffmpeg/container_output_file.h"

#include "platform/ffmpeg/container_sound.h"
#include "platform/ffmpeg/libav_support.h"
#include "platform/ffmpeg/wav_audio_source.h"

#include <cstring>
#include <optional>

namespace {

std::string WavCodecName(const std::string& path)
{
    WavAudioSource source(path);
    return avcodec_get_name(source.stream()->codecpar->codec_id);
}

// The picture as a BGR24 or BGRA frame; an indexed picture in the palette's colours.
void FillFrame(AVFrame* frame, const Picture& bitmap, const std::vector<uint32_t>& colours)
{
    CheckLibav(av_frame_make_writable(frame), "Frame buffer");
    const int bits = BitsPerPixel(bitmap.pixelFormat());
    for (int y = 0; y < bitmap.height(); ++y) {
        const uint8_t* src = bitmap.scanLine(y);
        uint8_t* dst = frame->data[0] + y * frame->linesize[0];
        if (bits >= 24) {
            std::memcpy(dst, src, static_cast<size_t>(bitmap.width() * bits / 8));
            continue;
        }
        for (int x = 0; x < bitmap.width(); ++x) {
            const int bit = x * bits;
            const int shift = 8 - bits - bit % 8;
            const size_t index = (src[bit / 8] >> shift) & ((1 << bits) - 1);
            const uint32_t colour = index < colours.size() ? colours[index] : 0;
            dst[3 * x] = static_cast<uint8_t>(colour);
            dst[3 * x + 1] = static_cast<uint8_t>(colour >> 8);
            dst[3 * x + 2] = static_cast<uint8_t>(colour >> 16);
        }
    }
}

} // namespace

struct ContainerOutputFile::State {
    ContainerPlan plan;
    std::string shownName;
    OutputContextPtr output;
    std::unique_ptr<FrameCompressor> compressor;
    AVStream* video = nullptr;
    AVRational slotBase{1, 1};
    std::optional<ContainerSound> sound;
    FramePtr frame;

    void create(const std::string& path)
    {
        AVFormatContext* context = nullptr;
        CheckLibav(avformat_alloc_output_context2(&context, nullptr, FormatInfo(plan.format).muxer, path.c_str()),
                   "Could not create " + shownName);
        output.reset(context);
    }

    void addVideoStream(EncoderFacility& facility)
    {
        plan.compression.globalHeader = (output->oformat->flags & AVFMT_GLOBALHEADER) != 0;
        compressor = facility.openCompressor(plan.compression);
        video = avformat_new_stream(output.get(), nullptr);
        if (!video)
            throw DeckrecError("Out of memory");
        compressor->describeStream(video->codecpar);
        video->codecpar->codec_tag = 0; // the container's own tag for the codec
        slotBase = FrameTimeBase(plan.compression.frameTime);
        video->time_base = slotBase;
        video->avg_frame_rate = av_inv_q(slotBase);
    }

    void addSoundStream()
    {
        if (plan.soundFile.empty())
            return;
        const std::string encoder = SoundEncoderFor(plan.format, WavCodecName(plan.soundFile));
        sound.emplace(plan.soundFile, output.get(), encoder);
    }

    void writeHeader(const std::string& path)
    {
        CheckLibav(avio_open(&output->pb, path.c_str(), AVIO_FLAG_WRITE), "Could not write " + shownName);
        AVDictionary* options = nullptr;
        CheckLibav(av_dict_parse_string(&options, FormatInfo(plan.format).muxerOptions, "=", ":", 0), "Muxer options");
        const int header = avformat_write_header(output.get(), &options);
        av_dict_free(&options);
        CheckLibav(header, "Could not write " + shownName);
    }

    void prepareFrame()
    {
        frame.reset(av_frame_alloc());
        if (!frame)
            throw DeckrecError("Out of memory");
        frame->width = plan.compression.width;
        frame->height = plan.compression.height;
        frame->format = plan.compression.bitCount == 32 ? AV_PIX_FMT_BGRA : AV_PIX_FMT_BGR24;
        CheckLibav(av_frame_get_buffer(frame.get(), 0), "Out of memory");
    }

    PacketSink sink()
    {
        return [this](AVPacket* packet) {
            packet->stream_index = video->index;
            if (packet->duration <= 0)
                packet->duration = 1;
            av_packet_rescale_ts(packet, slotBase, video->time_base);
            CheckLibav(av_interleaved_write_frame(output.get(), packet), "Could not write the video");
        };
    }
};

ContainerOutputFile::ContainerOutputFile(EncoderFacility& facility, const std::string& path,
                                         const std::string& shownName, const ContainerPlan& plan)
    : state_(std::make_unique<State>())
{
    State& s = *state_;
    s.plan = plan;
    s.shownName = shownName;
    s.create(path);
    s.addVideoStream(facility);
    s.addSoundStream();
    s.writeHeader(path);
    s.prepareFrame();
}

ContainerOutputFile::~ContainerOutputFile() = default;

void ContainerOutputFile::writeFrame(const Picture& picture)
{
    FillFrame(state_->frame.get(), picture, state_->plan.palette);
    state_->compressor->compress(state_->frame.get(), state_->sink());
}

void ContainerOutputFile::repeatFrame()
{
    state_->compressor->compressSame(state_->frame.get(), state_->sink());
}

void ContainerOutputFile::writeSoundUntil(int64_t milliseconds)
{
    if (state_->sound)
        state_->sound->writeUntil(milliseconds);
}

void ContainerOutputFile::endStreams(int64_t milliseconds)
{
    state_->compressor->compress(nullptr, state_->sink());
    if (state_->sound)
        state_->sound->finish(milliseconds);
}

void ContainerOutputFile::close()
{
    State& s = *state_;
    CheckLibav(av_write_trailer(s.output.get()), "Could not write " + s.shownName);
    CheckLibav(avio_closep(&s.output->pb), "Could not write " + s.shownName);
}
