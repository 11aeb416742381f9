#include "video/container_export.h"

#include "video/container_sound.h"
#include "video/frame_fitting.h"
#include "video/libav_support.h"
#include "video/wav_audio_source.h"
#include "core/deckrec_error.h"
#include "core/file_replacement.h"
#include "core/frame_store.h"
#include "platform/encoder_facility.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/error.h>
#include <libavutil/frame.h>
}

#include <cstring>
#include <optional>

namespace {

constexpr int kFrameTime = 150; // milliseconds per frame slot


// The output context with its file; closed and freed on every path.
struct Output {
    AVFormatContext* context = nullptr;
    ~Output()
    {
        if (context) {
            if (context->pb)
                avio_closep(&context->pb);
            avformat_free_context(context);
        }
    }
};

std::string EncoderNameOf(EncoderFacility& facility, const std::string& code)
{
    for (const EncoderEntry& entry : facility.encoders())
        if (entry.code == code)
            return entry.name;
    return "";
}

std::string WavCodecName(const std::string& path)
{
    WavAudioSource source(path);
    return avcodec_get_name(source.stream()->codecpar->codec_id);
}

// The fitted picture as a BGR24 or BGRA frame; an indexed picture in its palette's colours.
void FillFrame(AVFrame* frame, const Picture& bitmap)
{
    CheckLibav(av_frame_make_writable(frame), "Frame buffer");
    const int bits = BitsPerPixel(bitmap.pixelFormat());
    const std::vector<uint32_t>& colours = FramePalette(bitmap.pixelFormat());
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

void Report(const ExportProgress& progress, int value)
{
    if (progress.report)
        progress.report(value);
    if (progress.idle)
        progress.idle();
}

} // namespace

std::string SoundEncoderFor(VideoFormat format, const std::string& wavCodecName)
{
    switch (format) {
    case VideoFormat::Mp4:
        return "aac";
    case VideoFormat::WebM:
        return "libopus";
    case VideoFormat::Avi:
        return "";
    case VideoFormat::Mkv:
        break;
    }
    const AVCodecDescriptor* descriptor = avcodec_descriptor_get_by_name(wavCodecName.c_str());
    const AVOutputFormat* matroska = av_guess_format("matroska", nullptr, nullptr);
    if (descriptor && matroska && avformat_query_codec(matroska, descriptor->id, FF_COMPLIANCE_NORMAL) == 1)
        return "";
    // Matroska holds no ADPCM of WAV files; the samples go in as plain PCM.
    return "pcm_s16le";
}

void ExportContainerVideo(EncoderFacility& facility, const WorkingFiles& files, int frameCount,
                          const ContainerExportOptions& options, const ExportProgress& progress)
{
    const VideoFormatInfo& info = FormatInfo(options.format);
    const std::string& target = options.video.target;
    if (options.format == VideoFormat::Avi)
        throw DeckrecError("AVI files are written by the AVI writer");
    if (files.IsWorkingFile(target))
        throw DeckrecError("Cannot save to " + target +
                           ": Deckrec keeps the recording there. Choose another name or folder.");
    const std::string encoderName = EncoderNameOf(facility, options.encoderCode);
    if (encoderName.empty())
        throw DeckrecError("No compressor for " + options.encoderCode + " available");
    if (!FormatTakesEncoder(options.format, encoderName))
        throw DeckrecError(std::string(info.name) + " cannot hold pictures of encoder " + options.encoderCode);
    const int depth = BitsPerPixel(options.pixelFormat);
    if (info.trueColourOnly && depth != 24)
        throw DeckrecError(std::string(info.name) + " takes 24-bit pictures only");
    // Fewer colours are a property of the pictures: they reach the encoder as true colour,
    // which every encoder of these containers takes.
    const int bits = depth == 32 ? 32 : 24;
    const int width = options.video.size.width;
    const int height = options.video.size.height;
    if (!facility.accepts(options.encoderCode, width, height, bits, kFrameTime))
        throw DeckrecError("Encoder " + options.encoderCode + " cannot compress " + std::to_string(width) + "x" +
                           std::to_string(height) + " frames of " + std::to_string(bits) + " bits at " +
                           std::to_string(kFrameTime) + " ms per frame");
    if (frameCount <= 0)
        throw DeckrecError("No images selected.");

    PendingReplacement part(target);
    Output output;
    CheckLibav(avformat_alloc_output_context2(&output.context, nullptr, info.muxer, part.path().c_str()),
          "Could not create " + target);
    AVFormatContext* oc = output.context;

    CompressorSettings settings;
    settings.code = options.encoderCode;
    settings.width = width;
    settings.height = height;
    settings.bitCount = bits;
    settings.frameTime = kFrameTime;
    settings.quality = options.quality;
    settings.keyFrameEvery = 20; // a key frame every 3 s: players can seek
    settings.globalHeader = (oc->oformat->flags & AVFMT_GLOBALHEADER) != 0;
    settings.quick = true;
    std::unique_ptr<FrameCompressor> compressor = facility.openCompressor(settings);

    AVStream* video = avformat_new_stream(oc, nullptr);
    if (!video)
        throw DeckrecError("Out of memory");
    compressor->describeStream(video->codecpar);
    video->codecpar->codec_tag = 0; // the container's own tag for the codec
    const AVRational slotBase{kFrameTime, 1000};
    video->time_base = slotBase;
    video->avg_frame_rate = AVRational{1000, kFrameTime};

    std::optional<ContainerSound> sound;
    if (!options.video.soundFile.empty()) {
        const std::string soundEncoder = SoundEncoderFor(options.format, WavCodecName(options.video.soundFile));
        sound.emplace(options.video.soundFile, oc, soundEncoder);
    }

    CheckLibav(avio_open(&oc->pb, part.path().c_str(), AVIO_FLAG_WRITE), "Could not write " + target);
    AVDictionary* muxerOptions = nullptr;
    if (options.format == VideoFormat::Mp4)
        av_dict_set(&muxerOptions, "movflags", "+faststart", 0); // the index first: plays while it downloads
    const int header = avformat_write_header(oc, &muxerOptions);
    av_dict_free(&muxerOptions);
    CheckLibav(header, "Could not write " + target);

    const PacketSink sink = [oc, video, slotBase](AVPacket* packet) {
        packet->stream_index = video->index;
        if (packet->duration <= 0)
            packet->duration = 1;
        av_packet_rescale_ts(packet, slotBase, video->time_base);
        CheckLibav(av_interleaved_write_frame(oc, packet), "Could not write the video");
    };

    std::unique_ptr<AVFrame, FrameFree> frame(av_frame_alloc());
    if (!frame)
        throw DeckrecError("Out of memory");
    frame->width = width;
    frame->height = height;
    frame->format = bits == 32 ? AV_PIX_FMT_BGRA : AV_PIX_FMT_BGR24;
    CheckLibav(av_frame_get_buffer(frame.get(), 0), "Out of memory");

    // Only stored slots are read, fitted and converted; a slot without a frame file shows the
    // picture before it, which the encoder gets again as a frame of its own.
    Picture previous;
    Picture current;
    bool fitted = false;
    for (int k = 0; k < frameCount; ++k) {
        StopWhenCancelled(progress);
        Report(progress, k);
        if (FrameExists(files, k + 1)) {
            LoadFrame(files, k + 1, current);
            std::swap(previous, current);
            fitted = false;
        }
        if (fitted) {
            compressor->compressSame(frame.get(), sink);
        } else {
            FillFrame(frame.get(), FitPicture(previous, width, height, options.pixelFormat));
            fitted = true;
            compressor->compress(frame.get(), sink);
        }
        if (sound)
            sound->writeUntil(int64_t{k + 1} * kFrameTime);
    }
    compressor->compress(nullptr, sink);
    if (sound)
        sound->finish(int64_t{frameCount} * kFrameTime);
    Report(progress, frameCount + frameCount / 4);
    StopWhenCancelled(progress);
    CheckLibav(av_write_trailer(oc), "Could not write " + target);
    CheckLibav(avio_closep(&oc->pb), "Could not write " + target);
    part.Commit();
    Report(progress, ExportProgressMaximum(frameCount));
}
