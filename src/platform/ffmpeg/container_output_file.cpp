// SPDX-License-Identifier: GPL-3.0-or-later
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

// The style every caption uses; the subtitle encoders take their cues as ASS events.
const char kCaptionStyle[] =
    "[Script Info]\r\nScriptType: v4.00+\r\nPlayResX: 384\r\nPlayResY: 288\r\n\r\n"
    "[V4+ Styles]\r\nFormat: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, OutlineColour, BackColour, "
    "Bold, Italic, Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, BorderStyle, Outline, Shadow, Alignment, "
    "MarginL, MarginR, MarginV, Encoding\r\n"
    "Style: Default,Arial,16,&Hffffff,&Hffffff,&H0,&H0,0,0,0,0,100,100,0,0,1,1,0,2,10,10,10,0\r\n\r\n"
    "[Events]\r\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\r\n";

const std::string kWordJoiner = "\xE2\x81\xA0";

// A caption as the text of an ASS event that the encoder turns back into exactly that text:
// line breaks become \N, and a backslash or brace that ASS would read as a code is kept apart
// from what follows by an invisible joiner. WebVTT, which the encoder copies through, gets its
// own escapes, so that "<b>" or "-->" in the notes stays text.
std::string CaptionEvent(const std::string& text, bool webVtt)
{
    std::string event = "0,0,Default,,0,0,0,,";
    for (size_t k = 0; k < text.size(); ++k) {
        const char c = text[k];
        if (c == '\n')
            event += "\\N";
        else if (webVtt && c == '&')
            event += "&amp;";
        else if (webVtt && c == '<')
            event += "&lt;";
        else if (webVtt && c == '>')
            event += "&gt;";
        else if ((c == '\\' || c == '{') && k + 1 < text.size() && text[k + 1] != '\n')
            event += std::string(1, c) + kWordJoiner;
        else
            event += c;
    }
    return event;
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
    AVStream* captions = nullptr;
    CodecContextPtr captionEncoder;
    size_t captionsWritten = 0;

    void addChapters()
    {
        const std::vector<TimedText>& chapters = plan.chapters;
        if (chapters.empty())
            return;
        // The context frees them with itself.
        output->chapters = static_cast<AVChapter**>(av_calloc(chapters.size(), sizeof(AVChapter*)));
        if (!output->chapters)
            throw DeckrecError("Out of memory");
        for (size_t k = 0; k < chapters.size(); ++k) {
            auto* chapter = static_cast<AVChapter*>(av_mallocz(sizeof(AVChapter)));
            if (!chapter)
                throw DeckrecError("Out of memory");
            output->chapters[k] = chapter;
            output->nb_chapters = static_cast<unsigned>(k + 1);
            chapter->id = static_cast<int64_t>(k + 1);
            chapter->time_base = {1, 1000};
            chapter->start = chapters[k].startMs;
            chapter->end = chapters[k].endMs;
            av_dict_set(&chapter->metadata, "title", chapters[k].text.c_str(), 0);
        }
    }

    void addCaptionStream()
    {
        if (plan.captions.empty())
            return;
        const AVCodecID id = plan.format == VideoFormat::Mp4 ? AV_CODEC_ID_MOV_TEXT : AV_CODEC_ID_WEBVTT;
        const AVCodec* encoder = avcodec_find_encoder(id);
        if (!encoder)
            throw DeckrecError(std::string("No caption encoder for ") + FormatInfo(plan.format).name);
        captionEncoder.reset(avcodec_alloc_context3(encoder));
        if (!captionEncoder)
            throw DeckrecError("Out of memory");
        captionEncoder->time_base = {1, 1000};
        const size_t styleSize = std::strlen(kCaptionStyle);
        captionEncoder->subtitle_header = static_cast<uint8_t*>(av_mallocz(styleSize + 1));
        if (!captionEncoder->subtitle_header)
            throw DeckrecError("Out of memory");
        std::memcpy(captionEncoder->subtitle_header, kCaptionStyle, styleSize);
        captionEncoder->subtitle_header_size = static_cast<int>(styleSize);
        CheckLibav(avcodec_open2(captionEncoder.get(), encoder, nullptr), "Caption encoder");
        captions = avformat_new_stream(output.get(), nullptr);
        if (!captions)
            throw DeckrecError("Out of memory");
        CheckLibav(avcodec_parameters_from_context(captions->codecpar, captionEncoder.get()), "Caption encoder");
        captions->time_base = {1, 1000};
        av_dict_set(&captions->metadata, "title", "Speaker notes", 0);
    }

    // Captions starting before milliseconds, in order; the muxer interleaves them with the
    // pictures and the sound.
    void writeCaptionsUntil(int64_t milliseconds)
    {
        for (; captions && captionsWritten < plan.captions.size(); ++captionsWritten) {
            const TimedText& cue = plan.captions[captionsWritten];
            if (cue.startMs >= milliseconds)
                break;
            const std::string event = CaptionEvent(cue.text, plan.format != VideoFormat::Mp4);
            AVSubtitleRect rect{};
            rect.type = SUBTITLE_ASS;
            rect.ass = const_cast<char*>(event.c_str());
            AVSubtitleRect* rects[] = {&rect};
            AVSubtitle subtitle{};
            subtitle.num_rects = 1;
            subtitle.rects = rects;
            subtitle.start_display_time = 0;
            subtitle.end_display_time = static_cast<uint32_t>(cue.endMs - cue.startMs);
            subtitle.pts = av_rescale_q(cue.startMs, {1, 1000}, AV_TIME_BASE_Q);
            std::vector<uint8_t> buffer(event.size() * 4 + 1024);
            const int size = avcodec_encode_subtitle(captionEncoder.get(), buffer.data(), static_cast<int>(buffer.size()),
                                                     &subtitle);
            CheckLibav(size, "Could not write the captions");
            PacketPtr packet(av_packet_alloc());
            if (!packet)
                throw DeckrecError("Out of memory");
            CheckLibav(av_new_packet(packet.get(), size), "Out of memory");
            std::memcpy(packet->data, buffer.data(), static_cast<size_t>(size));
            packet->stream_index = captions->index;
            packet->pts = packet->dts = cue.startMs;
            packet->duration = cue.endMs - cue.startMs;
            av_packet_rescale_ts(packet.get(), {1, 1000}, captions->time_base);
            CheckLibav(av_interleaved_write_frame(output.get(), packet.get()), "Could not write the captions");
        }
    }

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
    s.addCaptionStream();
    s.addChapters();
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
    state_->writeCaptionsUntil(milliseconds);
}

void ContainerOutputFile::endStreams(int64_t milliseconds)
{
    state_->compressor->compress(nullptr, state_->sink());
    if (state_->sound)
        state_->sound->finish(milliseconds);
    state_->writeCaptionsUntil(milliseconds);
}

void ContainerOutputFile::close()
{
    State& s = *state_;
    CheckLibav(av_write_trailer(s.output.get()), "Could not write " + s.shownName);
    CheckLibav(avio_closep(&s.output->pb), "Could not write " + s.shownName);
}
