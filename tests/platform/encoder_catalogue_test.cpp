// SPDX-License-Identifier: GPL-3.0-or-later
// The FFmpeg encoder catalogue: codes, acceptance, quality scales and encoder settings.
#include "core/deckrec_error.h"
#include "video/avi_writer.h"
#include "avi_test_media.h"
#include "ffmpeg_oracle.h"
#include "platform/ffmpeg/ffmpeg_encoder_facility.h"

#include <QTemporaryDir>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <set>

namespace fs = std::filesystem;

namespace {

std::string Folded(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::map<std::string, std::string> NamesByCode(EncoderFacility& facility)
{
    std::map<std::string, std::string> names;
    for (const EncoderEntry& entry : facility.encoders())
        names[entry.code] = entry.name;
    return names;
}

TEST(AviEncoderCatalogue, EveryEncoderHasAFourCharacterCodeOfItsOwn)
{
    FfmpegEncoderFacility facility;
    const std::vector<EncoderEntry> entries = facility.encoders();
    ASSERT_GT(entries.size(), 10u);
    std::set<std::string> folded;
    for (const EncoderEntry& entry : entries) {
        ASSERT_EQ(entry.code.size(), 4u) << entry.name;
        EXPECT_TRUE(std::all_of(entry.code.begin(), entry.code.end(), [](char c) { return c >= 0x20 && c < 0x7F; }))
            << entry.name;
        EXPECT_TRUE(folded.insert(Folded(entry.code)).second) << "code " << entry.code << " twice";
        EXPECT_NE(entry.name, "rawvideo"); // raw frames are "No Compression"
    }
    const auto names = NamesByCode(facility);
    EXPECT_EQ(names.at("DIVX"), "mpeg4");
    EXPECT_EQ(names.at("WMV1"), "wmv1");
    EXPECT_EQ(names.at("WMV2"), "wmv2");
    EXPECT_EQ(names.at("XVID"), "libxvid");
    EXPECT_EQ(names.at("H264"), "libx264");
    EXPECT_EQ(names.at("H263"), "h263p"); // the one that takes any picture size
}

TEST(AviEncoderCatalogue, AcceptanceFollowsTheEncodersOwnPixelFormats)
{
    FfmpegEncoderFacility facility;
    for (int bits : {24, 32})
        EXPECT_TRUE(facility.accepts("DIVX", 120, 90, bits, 150)) << bits;
    for (int bits : {1, 4, 8})
        EXPECT_FALSE(facility.accepts("DIVX", 120, 90, bits, 150)) << bits;
    for (int bits : {1, 4, 8, 24, 32})
        EXPECT_TRUE(facility.accepts("MPNG", 120, 90, bits, 150)) << bits; // palette and monochrome formats
    for (int bits : {1, 4, 8})
        EXPECT_TRUE(facility.accepts("ZMBV", 120, 90, bits, 150)) << bits; // a palette format
    EXPECT_FALSE(facility.accepts("H261", 120, 90, 24, 150)); // opens for its standard sizes only
    EXPECT_FALSE(facility.accepts("NONE", 120, 90, 24, 150));
    EXPECT_FALSE(facility.accepts("DIVX", 0, 90, 24, 150));
}

TEST(AviEncoderCatalogue, WriterListsTheEncodersForItsFrames)
{
    FfmpegEncoderFacility facility;
    TAviWriter_2 writer(facility);
    writer.Width = 120;
    writer.Height = 90;
    std::vector<std::string> list;
    writer.ListCompressors(list);
    ASSERT_FALSE(list.empty());
    EXPECT_EQ(list[0], "No Compression");
    EXPECT_NE(std::find(list.begin(), list.end(), "DIVX mpeg4"), list.end());
    EXPECT_NE(std::find(list.begin(), list.end(), "WMV2 wmv2"), list.end());

    writer.SetPixelFormat(TPixelFormat::pf8bit);
    writer.ListCompressors(list);
    EXPECT_EQ(std::find(list.begin(), list.end(), "DIVX mpeg4"), list.end());
    EXPECT_NE(std::find(list.begin(), list.end(), "ZMBV zmbv"), list.end());
    EXPECT_NE(std::find(list.begin(), list.end(), "MPNG png"), list.end());
}

// One encoder's output at one quality: the compressed pictures' size and their worst PSNR.
struct Outcome {
    int64_t bytes = 0;
    double psnr = 0;
};

Outcome Compress(EncoderFacility& facility, const std::string& code, int quality, const std::string& folder)
{
    TAviWriter_2 writer(facility);
    writer.Width = 96;
    writer.Height = 72;
    writer.FrameTime = 150;
    writer.TempFileName = folder + "/~AWTemp.avi";
    writer.filename = folder + "/" + std::to_string(quality) + ".avi";
    writer.SelectCompressor(code);
    writer.SetQuality(quality);
    // Grey pictures with fine texture: with no colour to lose to chroma subsampling, the
    // picture's quality is the encoder's alone and keeps rising up to the best setting.
    std::vector<Picture> pictures;
    for (int i = 0; i < 4; ++i)
        pictures.push_back(TexturedGreyPicture(96, 72, i));
    writer.OpenVideo();
    for (const Picture& picture : pictures)
        writer.AppendFrame(picture);
    writer.EndFrames();
    writer.CloseVideo();
    Outcome outcome;
    outcome.bytes = VideoStreamBytes(writer.filename);
    const auto frames = DecodeVideoFrames(writer.filename, 96, 72);
    outcome.psnr = frames.size() == pictures.size() ? 99 : 0;
    for (size_t i = 0; i < frames.size() && i < pictures.size(); ++i)
        outcome.psnr = std::min(outcome.psnr, Psnr(frames[i], PackedBgr(pictures[i])));
    return outcome;
}

TEST(AviEncoderCatalogue, HigherQualityGivesLargerFilesAndBetterPictures)
{
    QTemporaryDir dir;
    FfmpegEncoderFacility facility;
    int checked = 0;
    for (const EncoderEntry& entry : facility.encoders()) {
        if (!facility.accepts(entry.code, 96, 72, 24, 150))
            continue;
        const std::string folder = dir.path().toStdString() + "/" + entry.name;
        fs::create_directory(folder);
        const Outcome low = Compress(facility, entry.code, 2000, folder);
        const Outcome high = Compress(facility, entry.code, 10000, folder);
        if (facility.qualityScale(entry.code).empty()) {
            // Without a quality scale the quality changes nothing.
            EXPECT_EQ(low.bytes, high.bytes) << entry.code << " " << entry.name;
            continue;
        }
        const Outcome middle = Compress(facility, entry.code, 6000, folder);
        EXPECT_LT(low.bytes, middle.bytes) << entry.name;
        EXPECT_LT(middle.bytes, high.bytes) << entry.name;
        EXPECT_GT(low.psnr, 5) << entry.name << " decodes";
        EXPECT_LT(low.psnr, middle.psnr) << entry.name;
        EXPECT_LT(middle.psnr, high.psnr) << entry.name;
        ++checked;
    }
    EXPECT_GE(checked, 15);
}

TEST(AviEncoderCatalogue, EncoderSettingsAreDescribedCheckedAndKept)
{
    FfmpegEncoderFacility facility;
    const std::vector<EncoderOption> options = facility.options("H264");
    const auto preset = std::find_if(options.begin(), options.end(), [](const EncoderOption& o) { return o.name == "preset"; });
    ASSERT_NE(preset, options.end());
    EXPECT_EQ(preset->kind, EncoderOption::Kind::Text);
    EXPECT_EQ(preset->value, "medium");
    const auto crf = std::find_if(options.begin(), options.end(), [](const EncoderOption& o) { return o.name == "crf"; });
    ASSERT_NE(crf, options.end());
    EXPECT_EQ(crf->kind, EncoderOption::Kind::Real);

    const std::vector<EncoderOption> divx = facility.options("DIVX");
    const auto quant = std::find_if(divx.begin(), divx.end(), [](const EncoderOption& o) { return o.name == "mpeg_quant"; });
    ASSERT_NE(quant, divx.end());
    EXPECT_EQ(quant->value, "0");

    EXPECT_THROW(facility.setOption("DIVX", "mpeg_quant", "many"), DeckrecError);
    EXPECT_THROW(facility.setOption("DIVX", "no_such_option", "1"), DeckrecError);

    // A kept setting changes every later compression with that encoder.
    QTemporaryDir dir;
    const Outcome before = Compress(facility, "DIVX", 6000, dir.path().toStdString());
    facility.setOption("DIVX", "mpeg_quant", "1");
    const std::vector<EncoderOption> changed = facility.options("DIVX");
    EXPECT_EQ(std::find_if(changed.begin(), changed.end(), [](const EncoderOption& o) { return o.name == "mpeg_quant"; })->value, "1");
    const Outcome after = Compress(facility, "DIVX", 6000, dir.path().toStdString());
    EXPECT_NE(before.bytes, after.bytes);
    facility.setOption("DIVX", "mpeg_quant", "0");
}

// MP4, WebM and Matroska keep the codec's headers once, in the stream description; an AVI
// stream carries them in its key frames.
TEST(AviEncoderCatalogue, ContainerStreamsCarryTheirHeadersInTheDescription)
{
    FfmpegEncoderFacility facility;
    for (const char* code : {"H264", "VP90"}) {
        for (bool global : {false, true}) {
            CompressorSettings settings;
            settings.code = code;
            settings.width = 160;
            settings.height = 120;
            settings.globalHeader = global;
            settings.quick = true;
            auto compressor = facility.openCompressor(settings);
            AVCodecParameters* parameters = avcodec_parameters_alloc();
            compressor->describeStream(parameters);
            if (std::string(code) == "H264") {
                EXPECT_EQ(parameters->extradata_size > 0, global) << code << " global " << global;
            }
            EXPECT_EQ(parameters->width, 160);
            avcodec_parameters_free(&parameters);
        }
    }
}

} // namespace
