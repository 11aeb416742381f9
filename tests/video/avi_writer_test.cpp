// SPDX-License-Identifier: GPL-3.0-or-later
// The writer's settings, states, call order and error texts.
#include "core/deckrec_error.h"
#include "video/avi_writer.h"
#include "avi_test_media.h"
#include "fake_encoder_facility.h"

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

// A writer of small frames whose files go into a folder of the test's own.
class AviWriterTest : public ::testing::Test {
protected:
    AviWriterTest()
    {
        facility.catalogue = {{"DIVX", "mpeg4"}, {"WMV2", "wmv2"}, {"ZMBV", "zmbv", {8, 24, 32}}};
        writer.Width = 16;
        writer.Height = 12;
        writer.TempFileName = path("~AWTemp.avi");
        writer.filename = path("out.avi");
    }

    std::string path(const std::string& name) const { return dir.path().toStdString() + "/" + name; }

    template <typename F>
    std::string errorOf(F&& call)
    {
        try {
            call();
        } catch (const DeckrecError& e) {
            return e.what();
        }
        return "";
    }

    void writeFrames(int count)
    {
        writer.OpenVideo();
        for (int i = 0; i < count; ++i)
            writer.AppendFrame(SlidePicture(32, 24, i));
        writer.EndFrames();
    }

    QTemporaryDir dir;
    FakeEncoderFacility facility;
    TAviWriter_2 writer{facility, 1280, 1024};
};

TEST_F(AviWriterTest, StartsWithATenthOfTheScreenAndNoCompressor)
{
    TAviWriter_2 fresh(facility, 1366, 768);
    EXPECT_EQ(fresh.Width, 136);
    EXPECT_EQ(fresh.Height, 76);
    EXPECT_EQ(fresh.FrameTime, 1000);
    EXPECT_EQ(fresh.PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(fresh.quality(), 5000);
    EXPECT_EQ(fresh.compressorCode(), "");
    EXPECT_EQ(fresh.WavFileName(), "");
    EXPECT_EQ(fs::path(fresh.TempFileName).filename(), "~AWTemp.avi");
    EXPECT_EQ(fs::path(fresh.TempFileName).parent_path(), fs::temp_directory_path());
}

TEST_F(AviWriterTest, PixelFormatSetterAcceptsOnlyTheFrameFormats)
{
    for (TPixelFormat format : {TPixelFormat::pf1bit, TPixelFormat::pf4bit, TPixelFormat::pf8bit,
                                TPixelFormat::pf32bit, TPixelFormat::pf24bit}) {
        writer.SetPixelFormat(format);
        EXPECT_EQ(writer.PixelFormat(), format);
    }
    for (TPixelFormat format : {TPixelFormat::pfDevice, TPixelFormat::pf15bit, TPixelFormat::pf16bit,
                                TPixelFormat::pfCustom}) {
        EXPECT_EQ(errorOf([&] { writer.SetPixelFormat(format); }), "Pixelformat not supported");
        EXPECT_EQ(writer.PixelFormat(), TPixelFormat::pf24bit);
    }
}

TEST_F(AviWriterTest, WavFileNameNeedsTheWavExtensionInAnyCase)
{
    writer.SetWavFileName("/rec/Sound.WAV");
    EXPECT_EQ(writer.WavFileName(), "/rec/Sound.WAV");
    writer.SetWavFileName("/REC/sound.wav"); // the same file in other letter case: unchanged
    EXPECT_EQ(writer.WavFileName(), "/rec/Sound.WAV");
    for (const char* bad : {"/rec/sound.mp3", "/rec/sound", "/rec/sound.wav.txt"}) {
        EXPECT_EQ(errorOf([&] { writer.SetWavFileName(bad); }), "WavFileName must name a file with the .wav extension");
        EXPECT_EQ(writer.WavFileName(), "/rec/Sound.WAV");
    }
    writer.SetWavFileName("");
    EXPECT_EQ(writer.WavFileName(), "");
}

TEST_F(AviWriterTest, FramesAreRefusedOutsideAnOpenVideo)
{
    const Picture picture = SlidePicture(8, 8, 0);
    EXPECT_EQ(errorOf([&] { writer.AppendFrame(picture); }), "Video must be initialized.");
    writer.OpenVideo();
    writer.AppendFrame(picture);
    writer.EndFrames();
    EXPECT_FALSE(writer.initialised());
    EXPECT_TRUE(writer.framesComplete());
    EXPECT_EQ(errorOf([&] { writer.AppendFrame(picture); }), "Video must be initialized.");
    EXPECT_EQ(writer.frameCounter(), 1);
}

TEST_F(AviWriterTest, CloseVideoNeedsEndFramesAndWritesOnce)
{
    writer.OpenVideo();
    writer.AppendFrame(SlidePicture(8, 8, 0));
    EXPECT_EQ(errorOf([&] { writer.CloseVideo(); }), "Video must be finalized");
    EXPECT_FALSE(fs::exists(writer.filename));

    writeFrames(2);
    writer.CloseVideo();
    EXPECT_TRUE(fs::exists(writer.filename));
    EXPECT_FALSE(fs::exists(writer.TempFileName));
    EXPECT_FALSE(writer.framesComplete());
    EXPECT_EQ(errorOf([&] { writer.CloseVideo(); }), "Video must be finalized");
}

TEST_F(AviWriterTest, StreamHeaderAndCompressionOptionsFollowTheFrameTime)
{
    writer.SelectCompressor("DIVX");
    writer.SetQuality(6000);
    writer.FrameTime = 150;
    writeFrames(1);
    TAviWriter_2::StreamHeader header = writer.streamHeader();
    EXPECT_EQ(header.fccType, StringToFourcc("vids"));
    EXPECT_EQ(header.fccHandler, StringToFourcc("DIVX"));
    EXPECT_EQ(header.dwScale, 150u);
    EXPECT_EQ(header.dwRate, 1000u);
    EXPECT_EQ(header.dwQuality, 6000);
    EXPECT_EQ(header.rcFrame[2], 16);
    EXPECT_EQ(header.rcFrame[3], 12);
    TAviWriter_2::CompressOptions options = writer.compressOptions();
    EXPECT_EQ(options.fccHandler, StringToFourcc("DIVX"));
    EXPECT_EQ(options.dwKeyFrameEvery, 7u);
    EXPECT_EQ(options.dwQuality, 6000);
    EXPECT_EQ(options.dwFlags, 0x0Cu);
    EXPECT_EQ(options.cbFormat, 40u);
    writer.CloseVideo();

    writer.FrameTime = 1000;
    writeFrames(1);
    EXPECT_EQ(writer.streamHeader().dwScale, 1000u);
    EXPECT_EQ(writer.streamHeader().dwRate, 1000u);
    EXPECT_EQ(writer.compressOptions().dwKeyFrameEvery, 1u);
}

TEST_F(AviWriterTest, KeyFrameIntervalRoundsHalvesToEven)
{
    writer.SelectCompressor("DIVX");
    writer.FrameTime = 400; // 2.5 frames a second
    writeFrames(1);
    EXPECT_EQ(writer.compressOptions().dwKeyFrameEvery, 2u);
}

TEST_F(AviWriterTest, WithoutACompressorTheHandlerAndOptionsStayZero)
{
    writeFrames(1);
    EXPECT_EQ(writer.streamHeader().fccHandler, 0u);
    const TAviWriter_2::CompressOptions options = writer.compressOptions();
    EXPECT_EQ(options.fccType, 0u);
    EXPECT_EQ(options.fccHandler, 0u);
    EXPECT_EQ(options.dwKeyFrameEvery, 0u);
    EXPECT_EQ(options.dwFlags, 0u);
    EXPECT_EQ(options.cbFormat, 0u);
}

TEST_F(AviWriterTest, FormatBlockHoldsTheHeaderAndTheColourTable)
{
    const std::pair<TPixelFormat, size_t> sizes[] = {{TPixelFormat::pf1bit, 48}, {TPixelFormat::pf4bit, 104},
                                                     {TPixelFormat::pf8bit, 1064}, {TPixelFormat::pf24bit, 40},
                                                     {TPixelFormat::pf32bit, 40}};
    for (const auto& [format, size] : sizes) {
        writer.SetPixelFormat(format);
        writeFrames(1);
        const std::vector<uint8_t>& block = writer.formatBlock();
        ASSERT_EQ(block.size(), size);
        EXPECT_EQ(block[0], 40);
        EXPECT_EQ(block[4], 16);  // width
        EXPECT_EQ(block[8], 12);  // height, positive: bottom-up rows
        EXPECT_EQ(block[14], BitsPerPixel(format));
        if (size > 40) { // the first entry is black: an untouched frame shows black
            EXPECT_EQ(block[40] | block[41] | block[42], 0);
        }
        if (format == TPixelFormat::pf1bit) { // black and white
            EXPECT_EQ(block[44] & block[45] & block[46], 255);
        }
        writer.CloseVideo();
    }
}

TEST_F(AviWriterTest, SettingsChangedWhileWritingDoNotChangeTheStream)
{
    writer.OpenVideo();
    writer.AppendFrame(SlidePicture(32, 24, 0));
    writer.Width = 40;
    writer.SetPixelFormat(TPixelFormat::pf8bit);
    writer.AppendFrame(SlidePicture(32, 24, 1));
    writer.EndFrames();
    writer.CloseVideo();
    EXPECT_EQ(writer.formatBlock()[4], 16);
    EXPECT_EQ(writer.formatBlock()[14], 24);
}

TEST_F(AviWriterTest, TemporaryFileThatCannotBeDeletedStopsOpenVideo)
{
    // A folder that is not empty stands for a file in use.
    fs::create_directories(path("busy.avi/inside"));
    writer.TempFileName = path("busy.avi");
    EXPECT_EQ(errorOf([&] { writer.OpenVideo(); }),
              "Could not delete " + writer.TempFileName +
                  " file might be in use. Try to close the folder if it's open in Explorer");
    EXPECT_FALSE(writer.initialised());
}

TEST_F(AviWriterTest, TemporaryFileThatCannotBeCreatedShowsTheCodeInHex)
{
    writer.TempFileName = path("no/such/folder/~AWTemp.avi");
    // ENOENT from the library, as 8 upper-case hexadecimal digits.
    EXPECT_EQ(errorOf([&] { writer.OpenVideo(); }), "Failed to create AVI video file. Err: $FFFFFFFE");
    EXPECT_EQ(HexCode(static_cast<int>(0x8004406Fu)), "8004406F");
}

TEST_F(AviWriterTest, OutputThatCannotBeDeletedStopsTheSaveAndReleasesEverything)
{
    fs::create_directories(path("taken.avi/inside"));
    writer.filename = path("taken.avi");
    writeFrames(1);
    EXPECT_EQ(errorOf([&] { writer.CloseVideo(); }),
              "File taken.avi could not be deleted. It could be in use by another application.");
    EXPECT_FALSE(fs::exists(writer.TempFileName));
    EXPECT_FALSE(writer.framesComplete());
}

TEST_F(AviWriterTest, AnExistingOutputIsReplaced)
{
    std::ofstream(writer.filename) << "old contents";
    writeFrames(2);
    writer.CloseVideo();
    std::ifstream in(writer.filename, std::ios::binary);
    char head[4] = {};
    in.read(head, 4);
    EXPECT_EQ(std::string(head, 4), "RIFF");
}

TEST_F(AviWriterTest, TheVideoReachesAnOutputOnAnotherFileSystem)
{
    // /dev/shm is a file system of its own on Linux: the video cannot simply be renamed there.
    QTemporaryDir other(QStringLiteral("/dev/shm/deckrec-writer-XXXXXX"));
    if (!other.isValid())
        GTEST_SKIP() << "no second file system";
    writer.filename = other.path().toStdString() + "/out.avi";
    writeFrames(2);
    writer.CloseVideo();
    std::ifstream in(writer.filename, std::ios::binary);
    char head[4] = {};
    in.read(head, 4);
    EXPECT_EQ(std::string(head, 4), "RIFF");
    EXPECT_FALSE(fs::exists(writer.TempFileName));
}

TEST_F(AviWriterTest, SoundFileFailuresNameTheCauseAndWriteNothing)
{
    writer.SetWavFileName(path("missing.wav"));
    writeFrames(1);
    EXPECT_EQ(errorOf([&] { writer.CloseVideo(); }), "A disk error occurred while opening the audio file.");
    EXPECT_EQ(writer.WavFileName(), "");
    EXPECT_FALSE(fs::exists(writer.filename));
    EXPECT_FALSE(fs::exists(writer.TempFileName));

    std::ofstream(path("notes.wav")) << "these are not sound samples, just text in a file";
    writer.SetWavFileName(path("notes.wav"));
    writeFrames(1);
    EXPECT_EQ(errorOf([&] { writer.CloseVideo(); }),
              "The file could not be read, indicating a corrupt file or an unrecognized format.");
    EXPECT_EQ(writer.WavFileName(), "");
    EXPECT_FALSE(fs::exists(writer.filename));

    // The writer is idle again and writes the next video.
    writeFrames(1);
    writer.CloseVideo();
    EXPECT_TRUE(fs::exists(writer.filename));
}

TEST_F(AviWriterTest, AVideoWithoutFramesIsRefused)
{
    writer.OpenVideo();
    writer.EndFrames();
    EXPECT_EQ(errorOf([&] { writer.CloseVideo(); }), "The video holds no frames");
    EXPECT_FALSE(fs::exists(writer.filename));
}

TEST_F(AviWriterTest, InvalidSizeOrFrameTimeIsRefusedAtOpen)
{
    writer.FrameTime = 0;
    EXPECT_EQ(errorOf([&] { writer.OpenVideo(); }), "FrameTime must be a positive number of milliseconds");
    writer.FrameTime = 150;
    writer.Height = 0;
    EXPECT_EQ(errorOf([&] { writer.OpenVideo(); }), "Width and Height must be positive");
    EXPECT_FALSE(writer.initialised());
}

TEST_F(AviWriterTest, DestructionRemovesTheTemporaryFile)
{
    std::string temporary;
    {
        TAviWriter_2 local(facility);
        local.Width = 8;
        local.Height = 8;
        local.TempFileName = temporary = path("~AWTempLocal.avi");
        local.OpenVideo();
        local.AppendFrame(SlidePicture(8, 8, 0));
        EXPECT_TRUE(fs::exists(temporary));
    }
    EXPECT_FALSE(fs::exists(temporary));
}

TEST_F(AviWriterTest, CompressorListHoldsTheEncodersThatTakeTheFrames)
{
    writer.SetPixelFormat(TPixelFormat::pf8bit);
    std::vector<std::string> list = {"stale"};
    writer.ListCompressors(list);
    EXPECT_EQ(list, (std::vector<std::string>{"No Compression", "ZMBV zmbv"}));
    // Every encoder was asked about the writer's own frames.
    EXPECT_EQ(facility.questions, (std::vector<std::string>{"DIVX 16x12 8", "WMV2 16x12 8", "ZMBV 16x12 8"}));

    writer.SetPixelFormat(TPixelFormat::pf24bit);
    writer.ListCompressors(list);
    EXPECT_EQ(list, (std::vector<std::string>{"No Compression", "DIVX mpeg4", "WMV2 wmv2", "ZMBV zmbv"}));
}

TEST_F(AviWriterTest, SelectCompressorKeepsFourCharactersOrRaises)
{
    writer.SelectCompressor("DIVX mpeg4");
    EXPECT_EQ(writer.compressorCode(), "DIVX");
    writer.SelectCompressor("");
    EXPECT_EQ(writer.compressorCode(), "");

    writer.SetPixelFormat(TPixelFormat::pf1bit);
    EXPECT_EQ(errorOf([&] { writer.SelectCompressor("DIVX"); }), "No compressor for DIVX available");
    EXPECT_EQ(writer.compressorCode(), "");
    EXPECT_EQ(errorOf([&] { writer.SelectCompressor("divx"); }), "No compressor for divx available");
}

TEST_F(AviWriterTest, ConfigureCompressorShowsOptionsOnlyForAChosenEncoderThatHasThem)
{
    struct Recorder : CompressorOptionsEditor {
        std::vector<std::string> shown;
        void edit(EncoderFacility&, const std::string& code) override { shown.push_back(code); }
    } editor;
    EncoderOption option;
    option.name = "speed";
    facility.catalogue[1].options = {option};

    writer.ConfigureCompressor(editor); // no compressor
    writer.SelectCompressor("DIVX");    // no options
    writer.ConfigureCompressor(editor);
    writer.SelectCompressor("WMV2");
    writer.ConfigureCompressor(editor);
    EXPECT_EQ(editor.shown, std::vector<std::string>{"WMV2"});
}

TEST_F(AviWriterTest, CompressionUsesTheChoicesFixedByTheFirstFrame)
{
    writer.SelectCompressor("WMV2");
    writer.SetQuality(8000);
    writer.FrameTime = 150;
    writer.OpenVideo();
    writer.SelectCompressor("DIVX"); // after OpenVideo, before the first frame: counts
    writer.SetQuality(2000);
    writer.AppendFrame(SlidePicture(16, 12, 0));
    writer.SelectCompressor("");     // after the first frame: does not count
    writer.SetQuality(9000);
    writer.EndFrames();
    writer.CloseVideo();
    ASSERT_EQ(facility.opened.size(), 1u);
    EXPECT_EQ(facility.opened[0].code, "DIVX");
    EXPECT_EQ(facility.opened[0].quality, 2000);
    EXPECT_EQ(facility.opened[0].keyFrameEvery, 7);
    EXPECT_EQ(facility.opened[0].width, 16);
    EXPECT_EQ(facility.opened[0].bitCount, 24);
    EXPECT_EQ(writer.streamHeader().fccHandler, StringToFourcc("WMV2")); // fixed at OpenVideo
}

} // namespace
