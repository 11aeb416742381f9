// SPDX-License-Identifier: GPL-3.0-or-later
// MP4, WebM and Matroska exports judged by Debian's ffprobe and ffmpeg: streams and codecs,
// frame count and length, the sound's length, picture quality, and what a failure leaves.
#include "video/container_export.h"
#include "video/export_progress.h"
#include "video/frame_fitting.h"
#include "avi_test_media.h"
#include "core/deckrec_error.h"
#include "core/frame_store.h"
#include "ffmpeg_oracle.h"
#include "platform/ffmpeg/ffmpeg_encoder_facility.h"
#include "support/temp_program_folder.h"

#include <sndfile.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 120;
constexpr int kMediumQuality = 4000;

std::string Contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The four-letter types of an MP4 file's top-level boxes in file order.
std::vector<std::string> TopLevelBoxes(const std::string& path)
{
    const std::string data = Contents(path);
    std::vector<std::string> boxes;
    size_t at = 0;
    while (at + 8 <= data.size()) {
        uint64_t size = 0;
        for (int i = 0; i < 4; ++i)
            size = (size << 8) | static_cast<unsigned char>(data[at + static_cast<size_t>(i)]);
        boxes.push_back(data.substr(at + 4, 4));
        if (size == 1 && at + 16 <= data.size()) {
            size = 0;
            for (int i = 8; i < 16; ++i)
                size = (size << 8) | static_cast<unsigned char>(data[at + static_cast<size_t>(i)]);
        }
        if (size < 8)
            break;
        at += size;
    }
    return boxes;
}

class AviContainerExportTest : public ::testing::Test {
protected:
    std::string chosen(const std::string& name) const { return folder.path() + "out/" + name; }

    void SetUp() override { fs::create_directory(folder.path() + "out"); }

    // Slots 1..frameCount with slot 3 not stored (it repeats slot 2); returns each slot's picture.
    std::vector<Picture> record(int frameCount)
    {
        std::vector<Picture> pictures;
        for (int k = 1; k <= frameCount; ++k) {
            if (k == 3) {
                pictures.push_back(pictures.back());
                continue;
            }
            pictures.push_back(SlidePicture(kWidth, kHeight, k));
            SaveFrame(folder.files(), pictures.back(), k);
        }
        return pictures;
    }

    VideoFileOptions optionsFor(VideoFormat format, const std::string& code, const std::string& target)
    {
        VideoFileOptions options;
        options.format = format;
        options.encoderCode = code;
        options.quality = kMediumQuality;
        options.size = {kWidth, kHeight};
        options.target = target;
        return options;
    }

    // Exports and checks what every format shares: one video stream of the codec with one
    // frame per slot lasting 150 ms each, pictures close to the stored ones, and a sound
    // that ends with the pictures.
    void exportAndJudge(const VideoFileOptions& options, int frameCount, const std::vector<Picture>& pictures,
                        const std::string& videoCodec, const std::string& soundCodec)
    {
        std::vector<long long> reported;
        Progress progress;
        progress.report = [&reported](long long done, long long) { reported.push_back(done); };
        ExportContainerVideo(facility, folder.files(), frameCount, options, progress);

        const std::string& path = options.target;
        const std::vector<ProbedStream> streams = ProbeStreams(path);
        ASSERT_EQ(streams.size(), soundCodec.empty() ? 1u : 2u);
        EXPECT_EQ(streams[0].type, "video");
        EXPECT_EQ(streams[0].codec, videoCodec);
        EXPECT_EQ(streams[0].width, kWidth);
        EXPECT_EQ(streams[0].height, kHeight);
        EXPECT_EQ(streams[0].packets, frameCount);
        const StreamSpan video = ProbeStreamSpan(path, "v:0");
        EXPECT_NEAR(video.end - video.start, frameCount * 0.150, 0.002);

        const std::vector<std::vector<uint8_t>> frames = DecodeVideoFrames(path, kWidth, kHeight);
        ASSERT_EQ(frames.size(), static_cast<size_t>(frameCount));
        for (int i = 0; i < frameCount; ++i)
            EXPECT_GE(Psnr(frames[static_cast<size_t>(i)], PackedBgr(pictures[static_cast<size_t>(i)])), 30.0)
                << "frame " << i;

        if (!soundCodec.empty()) {
            EXPECT_EQ(streams[1].type, "audio");
            EXPECT_EQ(streams[1].codec, soundCodec);
            const StreamSpan sound = ProbeStreamSpan(path, "a:0");
            EXPECT_NEAR(sound.end, video.end, 0.3);
            EXPECT_FALSE(DecodeAudioSamples(path).empty());
        }

        // The bar moves with the frames and ends full.
        ASSERT_FALSE(reported.empty());
        EXPECT_TRUE(std::is_sorted(reported.begin(), reported.end()));
        EXPECT_GE(reported.size(), static_cast<size_t>(frameCount));
        EXPECT_EQ(reported.back(), ExportProgressMaximum(frameCount));
    }

    std::vector<std::string> namesIn(const std::string& dir) const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    TempProgramFolder folder;
    FfmpegEncoderFacility facility;
};

TEST_F(AviContainerExportTest, Mp4HoldsH264AndAacWithTheIndexBeforeThePictures)
{
    const int frameCount = 14;
    const std::vector<Picture> pictures = record(frameCount);
    // Longer than the pictures: the rest is not written.
    WriteToneWav(folder.files().SoundFilePath(), SF_FORMAT_IMA_ADPCM, 11025, 1, 3.0);
    VideoFileOptions options = optionsFor(VideoFormat::Mp4, "H264", chosen("talk.mp4"));
    options.soundFile = folder.files().SoundFilePath();
    exportAndJudge(options, frameCount, pictures, "h264", "aac");

    EXPECT_EQ(ProbeStreams(chosen("talk.mp4"))[0].pixelFormat, "yuv420p");
    const std::vector<std::string> boxes = TopLevelBoxes(chosen("talk.mp4"));
    const auto moov = std::find(boxes.begin(), boxes.end(), "moov");
    const auto mdat = std::find(boxes.begin(), boxes.end(), "mdat");
    ASSERT_NE(moov, boxes.end());
    ASSERT_NE(mdat, boxes.end());
    EXPECT_LT(moov, mdat) << "the index must come first so that the video plays while it downloads";
    EXPECT_EQ(namesIn(folder.path() + "out"), std::vector<std::string>{"talk.mp4"});
}

// Most slots of a long session repeat the picture before them; each one is still a frame
// of its own, and the first stored picture after a run of repeats replaces the old one.
TEST_F(AviContainerExportTest, Mp4KeepsEveryRepeatedSlotAsAFrameOfItsOwn)
{
    const int frameCount = 30;
    std::vector<Picture> pictures;
    for (int k = 1; k <= frameCount; ++k) {
        if (k != 1 && k != 2 && k != 12 && k != 25) {
            pictures.push_back(pictures.back());
            continue;
        }
        pictures.push_back(SlidePicture(kWidth, kHeight, k));
        SaveFrame(folder.files(), pictures.back(), k);
    }
    exportAndJudge(optionsFor(VideoFormat::Mp4, "H264", chosen("still.mp4")), frameCount, pictures, "h264", "");
}

TEST_F(AviContainerExportTest, WebmHoldsVp9AndOpus)
{
    const int frameCount = 12;
    const std::vector<Picture> pictures = record(frameCount);
    WriteToneWav(folder.files().SoundFilePath(), SF_FORMAT_PCM_16, 22050, 2, 1.7);
    VideoFileOptions options = optionsFor(VideoFormat::WebM, "VP90", chosen("talk.webm"));
    options.soundFile = folder.files().SoundFilePath();
    exportAndJudge(options, frameCount, pictures, "vp9", "opus");
}

TEST_F(AviContainerExportTest, MkvHoldsH264AndTheAdpcmSoundAsPcm)
{
    const int frameCount = 9;
    const std::vector<Picture> pictures = record(frameCount);
    WriteToneWav(folder.files().SoundFilePath(), SF_FORMAT_IMA_ADPCM, 11025, 1, 1.35);
    VideoFileOptions options = optionsFor(VideoFormat::Mkv, "H264", chosen("talk.mkv"));
    options.soundFile = folder.files().SoundFilePath();
    exportAndJudge(options, frameCount, pictures, "h264", "pcm_s16le");
}

TEST_F(AviContainerExportTest, MkvCopiesPcmSoundAsItIsAndCutsItAtThePicturesEnd)
{
    const int frameCount = 8;
    const std::vector<Picture> pictures = record(frameCount);
    WriteToneWav(folder.files().SoundFilePath(), SF_FORMAT_PCM_16, 8000, 1, 4.0);
    VideoFileOptions options = optionsFor(VideoFormat::Mkv, "H264", chosen("talk.mkv"));
    options.soundFile = folder.files().SoundFilePath();
    exportAndJudge(options, frameCount, pictures, "h264", "pcm_s16le");
    EXPECT_NEAR(DecodeAudioSamples(chosen("talk.mkv")).size(), frameCount * 0.150 * 8000, 8000 * 0.3);
}

// Each refusal comes before any work and leaves the user's file and its folder as they were.
TEST_F(AviContainerExportTest, RefusalsAndFailuresLeaveTheChosenFileAlone)
{
    record(5);
    const std::string target = chosen("keep.webm");
    std::ofstream(target) << "the user's own file";
    struct Case {
        const char* what;
        VideoFileOptions options;
    };
    std::vector<Case> cases;
    cases.push_back({"an encoder WebM cannot hold", optionsFor(VideoFormat::WebM, "DIVX", target)});
    cases.push_back({"an unknown encoder", optionsFor(VideoFormat::WebM, "none", target)});
    Case wide{"32-bit pictures for WebM", optionsFor(VideoFormat::WebM, "VP90", target)};
    wide.options.pixelFormat = TPixelFormat::pf32bit;
    cases.push_back(wide);
    Case odd{"a size the encoder refuses", optionsFor(VideoFormat::WebM, "VP90", target)};
    odd.options.size = {0, 90};
    cases.push_back(odd);
    Case notWav{"a sound file that is no WAV", optionsFor(VideoFormat::WebM, "VP90", target)};
    std::ofstream(folder.path() + "noise.wav") << "not a sound";
    notWav.options.soundFile = folder.path() + "noise.wav";
    cases.push_back(notWav);
    Case working{"a working file as target", optionsFor(VideoFormat::WebM, "VP90", folder.files().SoundFilePath())};
    cases.push_back(working);

    for (const Case& c : cases) {
        EXPECT_THROW(ExportContainerVideo(facility, folder.files(), 5, c.options, {}), DeckrecError) << c.what;
        EXPECT_EQ(Contents(target), "the user's own file") << c.what;
        EXPECT_EQ(namesIn(folder.path() + "out"), std::vector<std::string>{"keep.webm"}) << c.what;
    }
}

TEST_F(AviContainerExportTest, AFailureWhileWritingLeavesNoPartialFile)
{
    record(6);
    const std::string target = chosen("keep.mp4");
    std::ofstream(target) << "the user's own file";
    VideoFileOptions options = optionsFor(VideoFormat::Mp4, "H264", target);
    int reports = 0;
    Progress progress;
    progress.report = [&reports](long long, long long) {
        if (++reports == 4)
            throw DeckrecError("stopped");
    };
    EXPECT_THROW(ExportContainerVideo(facility, folder.files(), 6, options, progress), DeckrecError);
    EXPECT_EQ(Contents(target), "the user's own file");
    EXPECT_EQ(namesIn(folder.path() + "out"), std::vector<std::string>{"keep.mp4"});
}

TEST_F(AviContainerExportTest, MkvTakesEveryColourDepth)
{
    const std::vector<Picture> pictures = record(4);
    for (TPixelFormat depth : {TPixelFormat::pf1bit, TPixelFormat::pf4bit, TPixelFormat::pf8bit, TPixelFormat::pf32bit}) {
        const std::string name = "depth" + std::to_string(BitsPerPixel(depth)) + ".mkv";
        VideoFileOptions options = optionsFor(VideoFormat::Mkv, "H264", chosen(name));
        options.pixelFormat = depth;
        ExportContainerVideo(facility, folder.files(), 4, options, {});
        const std::vector<std::vector<uint8_t>> frames = DecodeVideoFrames(chosen(name), kWidth, kHeight);
        ASSERT_EQ(frames.size(), 4u) << name;
        // The pictures in the depth's colours, compressed.
        for (size_t i = 0; i < frames.size(); ++i) {
            const Picture reduced = FitPicture(FitPicture(pictures[i], kWidth, kHeight, depth), kWidth, kHeight,
                                               TPixelFormat::pf24bit);
            EXPECT_GT(Psnr(frames[i], PackedBgr(reduced)), 30.0) << name << " frame " << i;
        }
    }
}

} // namespace
