// The video export from the working files to the user's file: what it reads after a failed
// recording, which targets it refuses, and what it leaves behind when it fails.
#include "avi/avi_export.h"
#include "avi/avi_writer.h"
#include "avi_test_media.h"
#include "core/deckrec_error.h"
#include "core/frame_store.h"
#include "core/limited_file_size.h"
#include "fake_encoder_facility.h"
#include "ffmpeg_oracle.h"
#include "platform/ffmpeg_encoder_facility.h"
#include "support/temp_program_folder.h"

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>

namespace fs = std::filesystem;

namespace {

std::string Contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class AviExportTest : public ::testing::Test {
protected:
    std::string chosen(const std::string& name) const { return folder.path() + name; }

    // Exports frameCount slots at 120 x 90 without sound; the slots read are counted.
    void exportTo(TAviWriter_2& target, const std::string& path, int frameCount)
    {
        PrepareVideoExport(target, folder.files(), path);
        VideoExportOptions options;
        options.size = {120, 90};
        options.target = path;
        ExportProgress progress;
        progress.report = [this, frameCount](int value) {
            if (value < frameCount)
                ++slotsRead;
        };
        ExportVideo(target, folder.files(), frameCount, options, progress);
    }

    void exportTo(const std::string& path, int frameCount) { exportTo(writer, path, frameCount); }

    std::vector<std::string> workingDirectoryNames() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder.files().WorkingDirectory()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    TempProgramFolder folder;
    FfmpegEncoderFacility facility;
    TAviWriter_2 writer{facility};
    int slotsRead = 0;
};

TEST_F(AviExportTest, AFrameWriteThatFailedPartWayCostsOnlyThatFrame)
{
    const Picture first = SlidePicture(120, 90, 1);
    const Picture second = SlidePicture(120, 90, 2);
    Picture noise(120, 90);
    std::mt19937 rng(7);
    for (size_t i = 0; i < noise.byteCount(); ++i)
        noise.bits()[i] = static_cast<uint8_t>(rng());
    // The recording: slots 1 and 2 stored, then the disk fills up while slot 3 is written
    // and the recorder stops there, with the frame count at 3.
    const int failedAt = RunWithFileSizeLimit(16384, [&] {
        SaveFrame(folder.files(), first, 1);
        SaveFrame(folder.files(), second, 2);
        try {
            SaveFrame(folder.files(), noise, 3);
        } catch (const DeckrecError&) {
            return 3;
        }
        return 0;
    });
    ASSERT_EQ(failedAt, 3);

    exportTo(chosen("talk.avi"), 3);
    const auto frames = DecodeVideoFrames(chosen("talk.avi"), 120, 90);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0], PackedBgr(first));
    EXPECT_EQ(frames[1], PackedBgr(second));
    EXPECT_EQ(frames[2], PackedBgr(second)) << "the lost slot repeats the picture before it";
}

TEST_F(AviExportTest, AWorkingFileAsTargetIsRefusedBeforeAnythingIsDeleted)
{
    SaveFrame(folder.files(), SlidePicture(120, 90, 0), 1);
    std::ofstream(folder.files().SoundFilePath()) << "sound";
    const std::string dir = folder.files().WorkingDirectory();
    std::ofstream(dir + "tempdeckrec.avi") << "an earlier export's";
    const std::vector<std::string> before = workingDirectoryNames();
    for (const std::string& target : {folder.files().FrameFilePath(1), folder.files().SoundFilePath(),
                                      dir + "tempdeckrec.avi", dir + "~AWTemptempdeckrec.avi",
                                      folder.path() + "temp/../temp/temp1.bmp"}) {
        try {
            exportTo(target, 1);
            FAIL() << target;
        } catch (const DeckrecError& e) {
            EXPECT_EQ(std::string(e.what()),
                      "Cannot save to " + target + ": Deckrec keeps the recording there. Choose another name or folder.");
        }
        EXPECT_EQ(workingDirectoryNames(), before) << target;
    }
    Picture frame;
    LoadFrame(folder.files(), 1, frame);
    EXPECT_EQ(frame.width(), 120);
    EXPECT_EQ(Contents(folder.files().SoundFilePath()), "sound");
}

TEST_F(AviExportTest, AVideoThatCannotBePlacedDoesNotStayInTheWorkingDirectory)
{
    SaveFrame(folder.files(), SlidePicture(120, 90, 0), 1);
    const std::string target = folder.path() + "missing-folder/talk.avi";
    EXPECT_THROW(exportTo(target, 2), DeckrecError);
    EXPECT_FALSE(fs::exists(target));
    EXPECT_EQ(workingDirectoryNames(), std::vector<std::string>({"temp1.bmp"}));
}

TEST_F(AviExportTest, ACopyToAnotherFileSystemNeverWritesOverAUsersFile)
{
    // The working directory lies in the test's temporary folder; /dev/shm is a file system
    // of its own on Linux, so the finished video is copied there, not renamed.
    QTemporaryDir other(QStringLiteral("/dev/shm/deckrec-export-XXXXXX"));
    if (!other.isValid())
        GTEST_SKIP() << "no second file system";
    const std::string target = other.path().toStdString() + "/talk.avi";
    std::ofstream(target + ".part") << "the user's own";
    std::ofstream(target) << "the old video";
    SaveFrame(folder.files(), SlidePicture(120, 90, 0), 1);

    exportTo(target, 2);
    EXPECT_EQ(Contents(target + ".part"), "the user's own");
    EXPECT_EQ(DecodeVideoFrames(target, 120, 90).size(), 2u);
    EXPECT_EQ(std::distance(fs::directory_iterator(other.path().toStdString()), fs::directory_iterator()), 2);
    EXPECT_EQ(workingDirectoryNames(), std::vector<std::string>({"temp1.bmp"}));
}

TEST_F(AviExportTest, ThirtyTwoBitFramesAreOpaque)
{
    const Picture slide = SlidePicture(120, 90, 3);
    SaveFrame(folder.files(), slide, 1);
    writer.SetPixelFormat(TPixelFormat::pf32bit);
    exportTo(chosen("alpha.avi"), 2);
    const auto frames = DecodeVideoFramesBgra(chosen("alpha.avi"), 120, 90);
    ASSERT_EQ(frames.size(), 2u);
    const std::vector<uint8_t> bgr = PackedBgr(slide);
    for (const auto& frame : frames)
        for (size_t i = 0; i < 120 * 90; ++i) {
            ASSERT_EQ(frame[4 * i + 3], 255) << "alpha of pixel " << i;
            ASSERT_EQ(frame[4 * i], bgr[3 * i]) << "blue of pixel " << i;
        }
}

TEST_F(AviExportTest, AnEncoderThatCannotTakeTheSizeFailsBeforeTheFirstFrame)
{
    FakeEncoderFacility fake;
    fake.catalogue = {{"NARW", "narrow"}};
    fake.catalogue[0].maxWidth = 102; // takes the list's 102 x 76, not the export's 120 x 90
    TAviWriter_2 narrow(fake);
    narrow.Width = 102;
    narrow.Height = 76;
    narrow.SelectCompressor("NARW");
    for (int slot = 1; slot <= 4; ++slot)
        SaveFrame(folder.files(), SlidePicture(120, 90, slot), slot);
    std::ofstream(chosen("kept.avi")) << "the old video";
    try {
        exportTo(narrow, chosen("kept.avi"), 4);
        FAIL() << "the encoder refuses 120 pixels";
    } catch (const DeckrecError& e) {
        EXPECT_EQ(std::string(e.what()), "Encoder NARW cannot compress 120x90 frames of 24 bits at 150 ms per frame");
    }
    EXPECT_EQ(slotsRead, 0);
    EXPECT_TRUE(fake.opened.empty());
    EXPECT_EQ(Contents(chosen("kept.avi")), "the old video");
    EXPECT_EQ(workingDirectoryNames().size(), 4u);
}

} // namespace
