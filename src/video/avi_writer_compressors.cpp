// SPDX-License-Identifier: GPL-3.0-or-later
// The writer's side of the encoder catalogue: listing, choosing and configuring encoders.
#include "video/avi_writer.h"

#include "core/deckrec_error.h"

namespace {

// Encoders probed at most, as many as the catalogue of installed compressors was probed.
constexpr size_t kProbes = 201;

} // namespace

void TAviWriter_2::ListCompressors(std::vector<std::string>& list)
{
    list.clear();
    list.push_back("No Compression");
    const int bits = BitsPerPixel(pixelFormat_);
    const std::vector<EncoderEntry> encoders = facility_.encoders();
    for (size_t i = 0; i < encoders.size() && i < kProbes; ++i)
        if (facility_.accepts(encoders[i].code, Width, Height, bits, FrameTime))
            list.push_back(encoders[i].code + " " + encoders[i].name);
}

void TAviWriter_2::SelectCompressor(const std::string& code)
{
    const std::string kept = code.substr(0, 4);
    compressorCode_.clear();
    if (kept.empty())
        return;
    const int bits = BitsPerPixel(pixelFormat_);
    for (const EncoderEntry& encoder : facility_.encoders()) {
        if (encoder.code == kept && facility_.accepts(kept, Width, Height, bits, FrameTime)) {
            compressorCode_ = kept;
            return;
        }
    }
    throw DeckrecError("No compressor for " + kept + " available");
}

void TAviWriter_2::CheckCompressorFits()
{
    if (compressorCode_.empty())
        return;
    const int bits = BitsPerPixel(pixelFormat_);
    if (!facility_.accepts(compressorCode_, Width, Height, bits, FrameTime))
        throw DeckrecError("Encoder " + compressorCode_ + " cannot compress " + std::to_string(Width) + "x" +
                           std::to_string(Height) + " frames of " + std::to_string(bits) + " bits at " +
                           std::to_string(FrameTime) + " ms per frame");
}

void TAviWriter_2::ConfigureCompressor(CompressorOptionsEditor& editor)
{
    if (compressorCode_.empty())
        return;
    if (!facility_.options(compressorCode_).empty())
        editor.edit(facility_, compressorCode_);
}
