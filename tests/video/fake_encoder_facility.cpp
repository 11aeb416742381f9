// SPDX-License-Identifier: GPL-3.0-or-later
#include "fake_encoder_facility.h"

#include "core/deckrec_error.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libavutil/imgutils.h>
}

#include <algorithm>
#include <cstring>

namespace {

// Passes each frame through as raw BGR24: a stream ffprobe can count under any tag.
class PassThroughCompressor : public FrameCompressor {
public:
    explicit PassThroughCompressor(const CompressorSettings& settings) : settings_(settings) {}

    void describeStream(AVCodecParameters* parameters) const override
    {
        parameters->codec_type = AVMEDIA_TYPE_VIDEO;
        parameters->codec_id = AV_CODEC_ID_RAWVIDEO;
        parameters->codec_tag = 0;
        parameters->width = settings_.width;
        parameters->height = settings_.height;
        parameters->format = AV_PIX_FMT_BGR24;
        parameters->bits_per_coded_sample = 24;
    }

    void compress(const AVFrame* frame, const PacketSink& sink) override
    {
        if (!frame)
            return;
        AVPacket* packet = av_packet_alloc();
        const int size = av_image_get_buffer_size(AV_PIX_FMT_BGR24, frame->width, frame->height, 1);
        av_new_packet(packet, size);
        std::memset(packet->data, 0x80, static_cast<size_t>(size));
        packet->pts = packet->dts = next_++;
        packet->duration = 1;
        packet->flags |= AV_PKT_FLAG_KEY;
        sink(packet);
        av_packet_free(&packet);
    }

private:
    CompressorSettings settings_;
    int64_t next_ = 0;
};

} // namespace

const FakeEncoderFacility::Encoder* FakeEncoderFacility::find(const std::string& code) const
{
    for (const Encoder& encoder : catalogue)
        if (encoder.code == code)
            return &encoder;
    return nullptr;
}

std::vector<EncoderEntry> FakeEncoderFacility::encoders()
{
    std::vector<EncoderEntry> entries;
    for (const Encoder& encoder : catalogue)
        entries.push_back({encoder.code, encoder.name});
    return entries;
}

bool FakeEncoderFacility::accepts(const std::string& code, int width, int height, int bitCount, double)
{
    questions.push_back(code + " " + std::to_string(width) + "x" + std::to_string(height) + " " +
                        std::to_string(bitCount));
    const Encoder* encoder = find(code);
    return encoder && width <= encoder->maxWidth &&
           std::count(encoder->bitCounts.begin(), encoder->bitCounts.end(), bitCount) > 0;
}

std::string FakeEncoderFacility::qualityScale(const std::string&)
{
    return "";
}

std::vector<EncoderOption> FakeEncoderFacility::options(const std::string& code)
{
    const Encoder* encoder = find(code);
    if (!encoder)
        return {};
    std::vector<EncoderOption> options = encoder->options;
    for (EncoderOption& option : options) {
        const auto set = optionValues.find(code + " " + option.name);
        option.value = set != optionValues.end() ? set->second : option.defaultValue;
    }
    return options;
}

void FakeEncoderFacility::setOption(const std::string& code, const std::string& name, const std::string& value)
{
    if (value == "invalid")
        throw DeckrecError("Invalid value \"" + value + "\" for " + name);
    optionValues[code + " " + name] = value;
}

std::unique_ptr<FrameCompressor> FakeEncoderFacility::openCompressor(const CompressorSettings& settings)
{
    opened.push_back(settings);
    const Encoder* encoder = find(settings.code);
    if (encoder && settings.width > encoder->maxWidth)
        throw EncoderError("Frames too wide for " + settings.code, AVERROR(EINVAL));
    if (!encoder)
        throw EncoderError("No compressor for " + settings.code + " available", AVERROR_ENCODER_NOT_FOUND);
    return std::make_unique<PassThroughCompressor>(settings);
}
