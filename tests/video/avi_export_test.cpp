// SPDX-License-Identifier: GPL-3.0-or-later
// The video export from the working files to the user's file: what it reads after a failed
// recording, which targets it refuses, what disk it takes, and what it leaves behind when it
// fails or is cancelled.
#include "video/avi_export.h"
#include "video/avi_writer.h"
#include "video/container_export.h"
#include "video/export_progress.h"
#include "platform/ffmpeg/wav_audio_source.h"
#include "avi_test_media.h"
#include "core/deckrec_error.h"
#include "core/frame_store.h"
#include "core/limited_file_size.h"
#include "fake_encoder_facility.h"
#include "ffmpeg_oracle.h"
#include "platform/ffmpeg/ffmpeg_encoder_facility.h"
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

uintmax_t FolderBytes(const std::string& folder)
{
    uintmax_t total = 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            total += entry.file_size();
    return total;
}

class AviExportTest : public ::testing::Test {
protected:
    std::string chosen(const std::string& name) const { return folder.path() + name; }

    // Exports frameCount slots at 120 x 90 without sound; the slots read are counted.
    void exportTo(TAviWriter_2& target, const std::string& path, int frameCount, Progress progress = {})
    {
        PrepareVideoExport(target, folder.files(), path);
        VideoFileOptions options;
        options.size = {120, 90};
        options.target = path;
        progress.report = [this](long long, long long) { ++slotsRead; };
        ExportVideo(target, folder.files(), frameCount, options, progress);
    }

    // Cancels when the given number of slots has been read.
    Progress cancelledAfter(int count)
    {
        Progress progress;
        progress.cancelled = [this, count] { return slotsRead >= count; };
        return progress;
    }

    void exportTo(const std::string& path, int frameCount, Progress progress = {})
    {
        exportTo(writer, path, frameCount, std::move(progress));
    }

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

TEST_F(AviExportTest, ASoundFileThatCannotBeReadFailsBeforeTheFirstFrame)
{
    SaveFrame(folder.files(), SlidePicture(120, 90, 0), 1);
    std::ofstream(folder.files().SoundFilePath()) << "not a sound";
    PrepareVideoExport(writer, folder.files(), chosen("talk.avi"));
    VideoFileOptions options;
    options.size = {120, 90};
    options.soundFile = folder.files().SoundFilePath();
    options.target = chosen("talk.avi");
    Progress progress;
    progress.report = [this](long long, long long) { ++slotsRead; };
    EXPECT_THROW(ExportVideo(writer, folder.files(), 3, options, progress), AudioFileOpenError);
    EXPECT_EQ(slotsRead, 0);
    EXPECT_FALSE(fs::exists(chosen("talk.avi")));
}

TEST_F(AviExportTest, AnExportTakesNoMoreDiskThanTheVideoItWrites)
{
    // A minute of slides would take megabytes uncompressed; the export writes only the file
    // the user gets ("No Compression": that file is the uncompressed one).
    for (int slot = 1; slot <= 40; slot += 4)
        SaveFrame(folder.files(), SlidePicture(120, 90, slot), slot);
    const uintmax_t recording = FolderBytes(folder.path());
    for (const char* code : {"DIVX", "MPNG", ""}) {
        writer.SelectCompressor(code);
        uintmax_t peak = 0;
        Progress progress;
        progress.idle = [&] { peak = std::max(peak, FolderBytes(folder.path()) - recording); };
        exportTo(writer, chosen("talk.avi"), 40, progress);
        const uintmax_t output = fs::file_size(chosen("talk.avi"));
        EXPECT_LE(peak, output + 4096) << "encoder \"" << code << "\"";
        EXPECT_EQ(DecodeVideoFrames(chosen("talk.avi"), 120, 90).size(), 40u);
        fs::remove(chosen("talk.avi"));
    }
    EXPECT_LT(FolderBytes(folder.path()), recording + 1) << "nothing left behind";
}

TEST_F(AviExportTest, ACancelledExportKeepsTheUsersFileAndLeavesNothing)
{
    for (int slot = 1; slot <= 12; ++slot)
        SaveFrame(folder.files(), SlidePicture(120, 90, slot), slot);
    const std::vector<std::string> recording = workingDirectoryNames();
    std::ofstream(chosen("kept.avi")) << "the old video";
    std::ofstream(chosen("kept.mp4")) << "the old video";
    for (const char* code : {"DIVX", ""}) {
        writer.SelectCompressor(code);
        slotsRead = 0;
        EXPECT_THROW(exportTo(chosen("kept.avi"), 12, cancelledAfter(5)), ExportCancelled);
        EXPECT_EQ(slotsRead, 5) << "stopped at once";
        EXPECT_EQ(Contents(chosen("kept.avi")), "the old video");
        EXPECT_EQ(workingDirectoryNames(), recording);
    }
    // Cancelled while completing the file: still nothing.
    writer.SelectCompressor("DIVX");
    slotsRead = 0;
    EXPECT_THROW(exportTo(chosen("kept.avi"), 12, cancelledAfter(12)), ExportCancelled);
    EXPECT_EQ(Contents(chosen("kept.avi")), "the old video");
    EXPECT_EQ(workingDirectoryNames(), recording);

    VideoFileOptions mp4;
    mp4.format = VideoFormat::Mp4;
    mp4.encoderCode = "H264";
    mp4.size = {120, 90};
    mp4.target = chosen("kept.mp4");
    int steps = 0;
    Progress progress;
    progress.report = [&](long long, long long) { ++steps; };
    progress.cancelled = [&] { return steps >= 5; };
    EXPECT_THROW(ExportContainerVideo(facility, folder.files(), 12, mp4, progress), ExportCancelled);
    EXPECT_EQ(Contents(chosen("kept.mp4")), "the old video");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 3)
        << "temp/, kept.avi and kept.mp4 alone";

    // The writer is ready for the next export.
    slotsRead = 0;
    exportTo(chosen("kept.avi"), 12);
    EXPECT_EQ(DecodeVideoFrames(chosen("kept.avi"), 120, 90).size(), 12u);
}

} // namespace
