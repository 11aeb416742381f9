// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An encoder facility whose catalogue the test writes. Its compressor writes every frame as a
// grey raw frame: enough for a file whose frames the tests can count.

#include "platform/encoder_facility.h"

#include <functional>
#include <map>

class FakeEncoderFacility : public EncoderFacility {
public:
    struct Encoder {
        std::string code;
        std::string name;
        std::vector<int> bitCounts = {24, 32}; // the frames it takes
        std::vector<EncoderOption> options;
        int maxWidth = 1 << 16; // wider frames are refused, as some encoders refuse sizes
    };

    std::vector<EncoderEntry> encoders() override;
    bool accepts(const std::string& code, int width, int height, int bitCount, double frameTime) override;
    std::string qualityScale(const std::string& code) override;
    std::vector<EncoderOption> options(const std::string& code) override;
    void setOption(const std::string& code, const std::string& name, const std::string& value) override;
    std::unique_ptr<FrameCompressor> openCompressor(const CompressorSettings& settings) override;

    std::vector<Encoder> catalogue;
    std::vector<std::string> questions; // "CODE WxH bits", one per accepts() call
    std::vector<CompressorSettings> opened;
    std::map<std::string, std::string> optionValues; // "CODE name" -> value

private:
    const Encoder* find(const std::string& code) const;
};
