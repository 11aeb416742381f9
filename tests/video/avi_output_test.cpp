// SPDX-License-Identifier: GPL-3.0-or-later
// Files the writer produces with FFmpeg's encoders, as ffprobe and ffmpeg read them.
#include "video/avi_writer.h"
#include "avi_test_media.h"
#include "ffmpeg_oracle.h"
#include "platform/ffmpeg/ffmpeg_encoder_facility.h"
#include "riff_chunks.h"

#include <QTemporaryDir>

#include <sndfile.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

class AviOutputTest : public ::testing::Test {
protected:
    AviOutputTest()
    {
        writer.TempFileName = path("~AWTemp.avi");
        writer.filename = path("out.avi");
        writer.FrameTime = 150;
    }

    std::string path(const std::string& name) const { return dir.path().toStdString() + "/" + name; }

    void write(const std::vector<Picture>& pictures)
    {
        writer.OpenVideo();
        for (const Picture& picture : pictures)
            writer.AppendFrame(picture);
        writer.EndFrames();
        writer.CloseVideo();
    }

    std::vector<Picture> slides(int count, int width, int height) const
    {
        std::vector<Picture> pictures;
        for (int i = 0; i < count; ++i)
            pictures.push_back(SlidePicture(width, height, i));
        return pictures;
    }

    QTemporaryDir dir;
    FfmpegEncoderFacility facility;
    TAviWriter_2 writer{facility};
};

int Distance(uint32_t entry, const uint8_t* bgr)
{
    const int dr = static_cast<int>(entry >> 16 & 0xFF) - bgr[2];
    const int dg = static_cast<int>(entry >> 8 & 0xFF) - bgr[1];
    const int db = static_cast<int>(entry & 0xFF) - bgr[0];
    return dr * dr + dg * dg + db * db;
}

TEST_F(AviOutputTest, UncompressedFramesReadBackExactly)
{
    for (TPixelFormat format : {TPixelFormat::pf24bit, TPixelFormat::pf32bit}) {
        writer.Width = 64;
        writer.Height = 48;
        writer.SetPixelFormat(format);
        const std::vector<Picture> pictures = slides(3, 64, 48);
        write(pictures);

        const std::vector<ProbedStream> streams = ProbeStreams(writer.filename);
        ASSERT_EQ(streams.size(), 1u);
        EXPECT_EQ(streams[0].codec, "rawvideo");
        EXPECT_EQ(streams[0].width, 64);
        EXPECT_EQ(streams[0].height, 48);
        EXPECT_EQ(streams[0].frameRate, "20/3");
        EXPECT_EQ(streams[0].packets, 3);
        const auto frames = DecodeVideoFrames(writer.filename, 64, 48);
        ASSERT_EQ(frames.size(), 3u);
        for (size_t i = 0; i < 3; ++i)
            EXPECT_EQ(frames[i], PackedBgr(pictures[i])) << "frame " << i << ", bits " << BitsPerPixel(format);

        // The format block of the first frame, every frame a key frame.
        const AviChunks chunks = ReadAviChunks(writer.filename);
        ASSERT_EQ(chunks.streams.size(), 1u);
        EXPECT_EQ(chunks.streams[0].strf.size(), 40u);
        EXPECT_EQ(Field16(chunks.streams[0].strf, 14), BitsPerPixel(format));
        EXPECT_EQ(Field32(chunks.streams[0].strh, 4), 0u); // no handler: uncompressed
        ASSERT_EQ(chunks.index.size(), 3u);
        for (const AviIndexEntry& entry : chunks.index)
            EXPECT_EQ(entry.flags & 0x10, 0x10u);
        EXPECT_EQ(VideoKeyFlags(writer.filename), std::vector<bool>(3, true));
    }
}

TEST_F(AviOutputTest, IndexedFramesCarryTheirColourTableAndNearestColours)
{
    const Picture picture = GradientPicture(48, 36);
    const std::pair<TPixelFormat, size_t> sizes[] = {
        {TPixelFormat::pf1bit, 48}, {TPixelFormat::pf4bit, 104}, {TPixelFormat::pf8bit, 1064}};
    for (const auto& [format, formatSize] : sizes) {
        writer.Width = 48;
        writer.Height = 36;
        writer.SetPixelFormat(format);
        write({picture, picture});

        const AviChunks chunks = ReadAviChunks(writer.filename);
        ASSERT_EQ(chunks.streams.size(), 1u);
        const std::vector<uint8_t>& strf = chunks.streams[0].strf;
        ASSERT_EQ(strf.size(), formatSize);
        EXPECT_EQ(Field16(strf, 14), BitsPerPixel(format));
        std::vector<uint32_t> table;
        for (size_t at = 40; at < strf.size(); at += 4)
            table.push_back(Field32(strf, at) & 0xFFFFFF);

        const auto frames = DecodeVideoFrames(writer.filename, 48, 36);
        ASSERT_EQ(frames.size(), 2u) << "bits " << BitsPerPixel(format);
        const std::vector<uint8_t> original = PackedBgr(picture);
        for (size_t p = 0; p < original.size(); p += 3) {
            const uint32_t shown = static_cast<uint32_t>(frames[0][p + 2] << 16 | frames[0][p + 1] << 8 | frames[0][p]);
            ASSERT_NE(std::find(table.begin(), table.end(), shown), table.end()) << "a colour outside the table";
            int best = INT_MAX;
            for (uint32_t entry : table)
                best = std::min(best, Distance(entry, &original[p]));
            ASSERT_EQ(Distance(shown, &original[p]), best) << "bits " << BitsPerPixel(format) << " pixel " << p / 3;
        }
        EXPECT_EQ(frames[1], frames[0]);
    }
}

TEST_F(AviOutputTest, LosslessEncodersKeepIndexedAndWideFramesExactly)
{
    // The same frames uncompressed and through encoders with palette, monochrome and RGB
    // formats of their own must decode to the same pixels.
    struct Case {
        TPixelFormat format;
        const char* code;
    };
    const Case cases[] = {{TPixelFormat::pf8bit, "ZMBV"}, {TPixelFormat::pf4bit, "ZMBV"}, {TPixelFormat::pf1bit, "ZMBV"},
                          {TPixelFormat::pf1bit, "MPNG"}, {TPixelFormat::pf8bit, "MPNG"}, {TPixelFormat::pf32bit, "FFV1"}};
    writer.Width = 48;
    writer.Height = 36;
    const std::vector<Picture> pictures = {GradientPicture(48, 36), SlidePicture(48, 36, 1)};
    for (const Case& c : cases) {
        writer.SetPixelFormat(c.format);
        writer.SelectCompressor("");
        write(pictures);
        const auto expected = DecodeVideoFrames(writer.filename, 48, 36);
        writer.SelectCompressor(c.code);
        write(pictures);
        EXPECT_EQ(ProbeStreams(writer.filename).at(0).tag, c.code);
        const auto frames = DecodeVideoFrames(writer.filename, 48, 36);
        ASSERT_EQ(expected.size(), 2u);
        EXPECT_TRUE(frames == expected) << c.code << " with " << BitsPerPixel(c.format) << " bits";
    }
}

TEST_F(AviOutputTest, WideFramesCompressLikeTrueColourOnes)
{
    writer.Width = 160;
    writer.Height = 120;
    writer.SetPixelFormat(TPixelFormat::pf32bit);
    writer.SelectCompressor("DIVX");
    writer.SetQuality(10000);
    const std::vector<Picture> pictures = slides(2, 160, 120);
    write(pictures);
    const auto frames = DecodeVideoFrames(writer.filename, 160, 120);
    ASSERT_EQ(frames.size(), 2u);
    for (size_t i = 0; i < 2; ++i)
        EXPECT_GT(Psnr(frames[i], PackedBgr(pictures[i])), 30.0);
}

TEST_F(AviOutputTest, PicturesAreStretchedToTheFrameSize)
{
    writer.Width = 560;
    writer.Height = 420;
    write({Picture(1024, 768)});
    std::vector<ProbedStream> streams = ProbeStreams(writer.filename);
    ASSERT_EQ(streams.size(), 1u);
    EXPECT_EQ(streams[0].width, 560);
    EXPECT_EQ(streams[0].height, 420);

    writer.Width = 96;
    writer.Height = 72;
    const Picture small = SlidePicture(48, 36, 0);
    write({small});
    const auto frames = DecodeVideoFrames(writer.filename, 96, 72);
    ASSERT_EQ(frames.size(), 1u);
    for (int y = 0; y < 72; ++y)
        for (int x = 0; x < 96; ++x)
            ASSERT_EQ(std::memcmp(&frames[0][static_cast<size_t>(3 * (y * 96 + x))], small.scanLine(y / 2) + 3 * (x / 2), 3), 0);
}

TEST_F(AviOutputTest, DivxCompressesWithAKeyFrameAboutEverySecond)
{
    writer.Width = 160;
    writer.Height = 120;
    writer.SelectCompressor("DIVX");
    writer.SetQuality(10000);
    std::vector<Picture> pictures = slides(15, 160, 120);
    write(pictures);

    const std::vector<ProbedStream> streams = ProbeStreams(writer.filename);
    ASSERT_EQ(streams.size(), 1u);
    EXPECT_EQ(streams[0].codec, "mpeg4");
    EXPECT_EQ(streams[0].tag, "DIVX");
    EXPECT_EQ(streams[0].frameRate, "20/3");
    EXPECT_EQ(streams[0].packets, 15);
    std::vector<bool> keys(15, false);
    keys[0] = keys[7] = keys[14] = true;
    EXPECT_EQ(VideoKeyFlags(writer.filename), keys);
    const auto frames = DecodeVideoFrames(writer.filename, 160, 120);
    ASSERT_EQ(frames.size(), 15u);
    for (size_t i = 0; i < frames.size(); ++i)
        EXPECT_GT(Psnr(frames[i], PackedBgr(pictures[i])), 30.0) << "frame " << i;

    writer.FrameTime = 1000;
    pictures.resize(3);
    write(pictures);
    EXPECT_EQ(ProbeStreams(writer.filename).at(0).frameRate, "1/1");
    EXPECT_EQ(VideoKeyFlags(writer.filename), std::vector<bool>(3, true));
}

TEST_F(AviOutputTest, SoundIsCopiedWholeAsTheSecondStream)
{
    struct Case {
        int subtype;
        int rate;
        int channels;
        const char* codec;
    };
    const Case cases[] = {{SF_FORMAT_PCM_16, 44100, 2, "pcm_s16le"},
                          {SF_FORMAT_IMA_ADPCM, 22050, 1, "adpcm_ima_wav"},
                          {SF_FORMAT_MS_ADPCM, 11025, 1, "adpcm_ms"}};
    writer.Width = 32;
    writer.Height = 24;
    for (const Case& c : cases) {
        const std::string wav = path("sound.wav");
        // 3 s of sound beside 1.5 s of video: neither is cut to the other.
        WriteToneWav(wav, c.subtype, c.rate, c.channels, 3.0);
        writer.SetWavFileName(wav);
        write(slides(10, 32, 24));

        const std::vector<ProbedStream> streams = ProbeStreams(writer.filename);
        ASSERT_EQ(streams.size(), 2u) << c.codec;
        EXPECT_EQ(streams[0].type, "video");
        EXPECT_EQ(streams[0].packets, 10);
        EXPECT_EQ(streams[1].type, "audio");
        EXPECT_EQ(streams[1].codec, c.codec);
        EXPECT_EQ(streams[1].sampleRate, c.rate);
        EXPECT_EQ(streams[1].channels, c.channels);
        const std::vector<int16_t> fromAvi = DecodeAudioSamples(writer.filename);
        const std::vector<int16_t> fromWav = DecodeAudioSamples(wav);
        ASSERT_GE(fromWav.size(), static_cast<size_t>(3 * c.rate * c.channels));
        EXPECT_TRUE(fromAvi == fromWav) << c.codec << ": " << fromAvi.size() << " samples, not " << fromWav.size();
        writer.SetWavFileName("");
    }
}

TEST_F(AviOutputTest, CompressedPicturesAndSoundInterleaveWithTheirTiming)
{
    // Frames are compressed as they come and the sound goes in beside them: the file holds
    // both streams from the start, every picture at its slot and the whole sound.
    const std::string wav = path("talk.wav");
    WriteToneWav(wav, SF_FORMAT_IMA_ADPCM, 22050, 1, 3.0);
    writer.Width = 160;
    writer.Height = 120;
    writer.SelectCompressor("DIVX");
    writer.SetQuality(10000);
    writer.SetWavFileName(wav);
    const std::vector<Picture> pictures = slides(15, 160, 120);
    write(pictures);

    const std::vector<ProbedStream> streams = ProbeStreams(writer.filename);
    ASSERT_EQ(streams.size(), 2u);
    EXPECT_EQ(streams[0].tag, "DIVX");
    EXPECT_EQ(streams[0].packets, 15);
    EXPECT_EQ(streams[1].codec, "adpcm_ima_wav");
    std::vector<bool> keys(15, false);
    keys[0] = keys[7] = keys[14] = true;
    EXPECT_EQ(VideoKeyFlags(writer.filename), keys);
    const StreamSpan video = ProbeStreamSpan(writer.filename, "v:0");
    EXPECT_DOUBLE_EQ(video.start, 0.0);
    EXPECT_NEAR(video.end, 2.25, 1e-6);
    EXPECT_NEAR(ProbeStreamSpan(writer.filename, "a:0").start, 0.0, 1e-6);
    EXPECT_TRUE(DecodeAudioSamples(writer.filename) == DecodeAudioSamples(wav));
    const auto frames = DecodeVideoFrames(writer.filename, 160, 120);
    ASSERT_EQ(frames.size(), 15u);
    for (size_t i = 0; i < frames.size(); ++i)
        EXPECT_GT(Psnr(frames[i], PackedBgr(pictures[i])), 30.0) << "frame " << i;

    // Interleaved: sound chunks lie between the pictures, not all after them.
    const AviChunks chunks = ReadAviChunks(writer.filename);
    const auto firstSound = std::find_if(chunks.index.begin(), chunks.index.end(),
                                         [](const AviIndexEntry& e) { return e.id.substr(2) == "wb"; });
    const auto lastPicture = std::find_if(chunks.index.rbegin(), chunks.index.rend(),
                                          [](const AviIndexEntry& e) { return e.id.substr(2) == "dc"; });
    ASSERT_NE(firstSound, chunks.index.end());
    ASSERT_NE(lastPicture, chunks.index.rend());
    EXPECT_LT(firstSound - chunks.index.begin(), chunks.index.rend() - lastPicture - 1);
}

TEST_F(AviOutputTest, AdpcmByteRateIsComputedFromTheBlocks)
{
    const std::string wav = path("ima.wav");
    WriteToneWav(wav, SF_FORMAT_IMA_ADPCM, 22050, 1, 1.0);
    std::ifstream in(wav, std::ios::binary);
    std::vector<uint8_t> header(48);
    in.read(reinterpret_cast<char*>(header.data()), 48);
    const uint32_t wavRate = Field32(header, 28);
    const uint16_t blockAlign = Field16(header, 32);
    ASSERT_EQ(blockAlign, 512);
    const int samplesPerBlock = (blockAlign - 4) * 2 + 1; // IMA ADPCM, one channel
    const long exact = std::lround(512.0 * 22050 / samplesPerBlock);
    EXPECT_EQ(wavRate, 11100u) << "the WAV writer is expected to round down";

    writer.Width = 16;
    writer.Height = 16;
    writer.SetWavFileName(wav);
    write(slides(2, 16, 16));
    const AviChunks chunks = ReadAviChunks(writer.filename);
    ASSERT_EQ(chunks.streams.size(), 2u);
    EXPECT_EQ(Field32(chunks.streams[1].strf, 8), static_cast<uint32_t>(exact)); // nAvgBytesPerSec
    EXPECT_EQ(Field16(chunks.streams[1].strf, 12), blockAlign);
}

TEST_F(AviOutputTest, AnEmptySoundFileGivesAnEmptyAudioStream)
{
    const std::string wav = path("empty.wav");
    WriteToneWav(wav, SF_FORMAT_IMA_ADPCM, 44100, 1, 0.0);
    writer.Width = 16;
    writer.Height = 16;
    writer.SetWavFileName(wav);
    write(slides(3, 16, 16));
    const std::vector<ProbedStream> streams = ProbeStreams(writer.filename);
    ASSERT_EQ(streams.size(), 2u);
    EXPECT_EQ(streams[0].packets, 3);
    EXPECT_EQ(streams[1].packets, 0);
}

} // namespace
