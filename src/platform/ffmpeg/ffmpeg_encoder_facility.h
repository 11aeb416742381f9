// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The encoder facility over FFmpeg's libavcodec.

#include "platform/encoder_facility.h"
#include "platform/ffmpeg/ffmpeg_encoder_catalogue.h"

#include <map>
#include <tuple>

class FfmpegEncoderFacility : public EncoderFacility {
public:
    FfmpegEncoderFacility();

    std::vector<EncoderEntry> encoders() override;
    bool accepts(const std::string& code, int width, int height, int bitCount, double frameTime) override;
    std::string qualityScale(const std::string& code) override;
    std::vector<EncoderOption> options(const std::string& code) override;
    void setOption(const std::string& code, const std::string& name, const std::string& value) override;
    std::unique_ptr<FrameCompressor> openCompressor(const CompressorSettings& settings) override;

private:
    const CatalogueEncoder* find(const std::string& code);
    bool probe(const CatalogueEncoder& encoder, const CompressorSettings& settings);

    std::vector<CatalogueEncoder> catalogue_;
    bool catalogueBuilt_ = false;
    std::map<std::string, std::map<std::string, std::string>> options_; // by code
    std::map<std::tuple<std::string, int, int, int, double>, bool> answers_;
};
