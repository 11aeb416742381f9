#include "platform/ffmpeg/ffmpeg_encoder_facility.h"

#include "core/deckrec_error.h"
#include "core/frame_period.h"
#include "platform/ffmpeg/ffmpeg_encoder_options.h"
#include "platform/ffmpeg/ffmpeg_encoder_quality.h"
#include "platform/ffmpeg/ffmpeg_frame_compressor.h"
#include "platform/ffmpeg/libav_support.h"

extern "C" {
#include <libavutil/log.h>
}

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

unsigned TagValue(const std::string& code)
{
    unsigned tag = 0;
    for (int i = 3; i >= 0; --i)
        tag = (tag << 8) | static_cast<unsigned char>(code[static_cast<size_t>(i)]);
    return tag;
}

// A black frame as the export hands them to a compressor.
FramePtr BlankFrame(int width, int height, int bitCount)
{
    FramePtr frame(av_frame_alloc());
    if (!frame)
        return frame;
    frame->width = width;
    frame->height = height;
    frame->format = bitCount <= 8 ? AV_PIX_FMT_PAL8 : bitCount == 32 ? AV_PIX_FMT_BGRA : AV_PIX_FMT_BGR24;
    if (av_frame_get_buffer(frame.get(), 0) < 0)
        return nullptr;
    for (int plane = 0; plane < 2 && frame->buf[plane]; ++plane)
        std::memset(frame->buf[plane]->data, 0, frame->buf[plane]->size);
    if (bitCount <= 8)
        reinterpret_cast<uint32_t*>(frame->data[1])[1] = 0xFFFFFFFF;
    return frame;
}

// Silences the library while encoders are tried: failures there are expected answers.
class QuietLibrary {
public:
    QuietLibrary() : level_(av_log_get_level()) { av_log_set_level(AV_LOG_QUIET); }
    ~QuietLibrary() { av_log_set_level(level_); }

private:
    int level_;
};

} // namespace

FfmpegEncoderFacility::FfmpegEncoderFacility()
{
    // Encoders report their statistics at every close; only errors matter here. SVT-AV1
    // prints a banner on every open unless told otherwise.
    av_log_set_level(AV_LOG_ERROR);
    setenv("SVT_LOG", "1", 0);
}

std::vector<EncoderEntry> FfmpegEncoderFacility::encoders()
{
    if (!catalogueBuilt_) {
        catalogue_ = BuildEncoderCatalogue();
        catalogueBuilt_ = true;
    }
    std::vector<EncoderEntry> entries;
    for (const CatalogueEncoder& encoder : catalogue_)
        entries.push_back({encoder.code, encoder.codec->name});
    return entries;
}

const CatalogueEncoder* FfmpegEncoderFacility::find(const std::string& code)
{
    encoders();
    for (const CatalogueEncoder& encoder : catalogue_)
        if (encoder.code == code)
            return &encoder;
    return nullptr;
}

bool FfmpegEncoderFacility::accepts(const std::string& code, int width, int height, int bitCount, double frameTime)
{
    const CatalogueEncoder* encoder = find(code);
    if (!encoder || width <= 0 || height <= 0 || frameTime <= 0)
        return false;
    const auto key = std::make_tuple(code, width, height, bitCount, frameTime);
    const auto known = answers_.find(key);
    if (known != answers_.end())
        return known->second;
    CompressorSettings settings;
    settings.code = code;
    settings.width = width;
    settings.height = height;
    settings.bitCount = bitCount;
    settings.frameTime = frameTime;
    settings.keyFrameEvery = SlotsOfASecond(frameTime);
    const bool accepted = probe(*encoder, settings);
    answers_[key] = accepted;
    return accepted;
}

// Opens the encoder for the frames: the opening is where most encoders check the size, rate
// and pixel format. Encoders that compress each frame at once check some limits only on the
// first frame, so they compress a black one; the encoders that hold frames back (the large
// library encoders) check everything when they open, and a frame would cost them most.
bool FfmpegEncoderFacility::probe(const CatalogueEncoder& encoder, const CompressorSettings& settings)
{
    if (EncoderPixelFormat(encoder.codec, settings.bitCount) < 0)
        return false;
    const std::string name = encoder.codec->name;
    // SVT-AV1 hangs when it is closed before it has compressed a frame. Cinepak checks its
    // limits when it opens, and its first 560 x 420 frame takes over a second.
    const bool compressFrame =
        (!(encoder.codec->capabilities & AV_CODEC_CAP_DELAY) && name != "cinepak") || name == "libsvtav1";
    QuietLibrary quiet;
    try {
        auto compressor = OpenFfmpegCompressor(encoder.codec, TagValue(encoder.code), settings,
                                               options_[encoder.code], 1);
        if (!compressFrame)
            return true;
        auto frame = BlankFrame(settings.width, settings.height, settings.bitCount);
        if (!frame)
            return false;
        int packets = 0;
        const PacketSink count = [&packets](AVPacket*) { ++packets; };
        compressor->compress(frame.get(), count);
        compressor->compress(nullptr, count);
        return packets > 0;
    } catch (const EncoderError&) {
        return false;
    }
}

std::string FfmpegEncoderFacility::qualityScale(const std::string& code)
{
    const CatalogueEncoder* encoder = find(code);
    return encoder ? QualityScaleOf(encoder->codec->name) : "";
}

std::vector<EncoderOption> FfmpegEncoderFacility::options(const std::string& code)
{
    const CatalogueEncoder* encoder = find(code);
    return encoder ? DescribeEncoderOptions(encoder->codec, options_[code]) : std::vector<EncoderOption>{};
}

void FfmpegEncoderFacility::setOption(const std::string& code, const std::string& name, const std::string& value)
{
    const CatalogueEncoder* encoder = find(code);
    if (!encoder)
        throw DeckrecError("No compressor for " + code + " available");
    CheckEncoderOption(encoder->codec, name, value);
    options_[code][name] = value;
    // An option can change which frames the encoder takes: ask afresh.
    for (auto it = answers_.begin(); it != answers_.end();)
        it = std::get<0>(it->first) == code ? answers_.erase(it) : std::next(it);
}

std::unique_ptr<FrameCompressor> FfmpegEncoderFacility::openCompressor(const CompressorSettings& settings)
{
    const CatalogueEncoder* encoder = find(settings.code);
    if (!encoder)
        throw EncoderError("No compressor for " + settings.code + " available", AVERROR_ENCODER_NOT_FOUND);
    return OpenFfmpegCompressor(encoder->codec, TagValue(encoder->code), settings, options_[settings.code], 0);
}
