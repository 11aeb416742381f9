// SPDX-License-Identifier: GPL-3.0-or-later
// The one entry point of the video export, as the command line calls it: every format with
// the recording's own frame period, the pictures and sound where they belong, and the target
// check before any work.
#include "video/video_export.h"
#include "avi_test_media.h"
#include "core/deckrec_error.h"
#include "core/frame_store.h"
#include "ffmpeg_oracle.h"
#include "platform/ffmpeg/ffmpeg_encoder_facility.h"
#include "support/temp_program_folder.h"

#include <sndfile.h>

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

TEST(AviVideoFileExportTest, EveryFormatKeepsTheRecordingsFramePeriodAndSound)
{
    TempProgramFolder folder;
    const int frameCount = 6;
    for (int slot = 1; slot <= frameCount; slot += 2) // slots 2, 4 and 6 repeat the one before
        SaveFrame(folder.files(), SlidePicture(160, 120, slot), slot);
    WriteToneWav(folder.files().SoundFilePath(), SF_FORMAT_PCM_16, 44100, 1, 3.0);
    FfmpegEncoderFacility facility;

    struct Case {
        VideoFormat format;
        const char* encoder;
        const char* name;
        const char* videoCodec;
    };
    const Case cases[] = {
        {VideoFormat::Avi, "DIVX", "talk.avi", "mpeg4"},
        {VideoFormat::Avi, "", "raw.avi", "rawvideo"},
        {VideoFormat::Mp4, "H264", "talk.mp4", "h264"},
        {VideoFormat::WebM, "VP90", "talk.webm", "vp9"},
        {VideoFormat::Mkv, "H264", "talk.mkv", "h264"},
    };
    for (const int period : {kDefaultFramePeriodMs, 250}) {
        for (const Case& c : cases) {
            const std::string what = std::string(c.name) + " at " + std::to_string(period) + " ms";
            VideoFileOptions options;
            options.format = c.format;
            options.encoderCode = c.encoder;
            options.quality = 4000;
            options.size = {160, 120};
            options.soundFile = folder.files().SoundFilePath();
            options.target = folder.path() + c.name;
            options.framePeriodMs = period;
            long long last = -1;
            long long total = 0;
            Progress progress;
            progress.report = [&](long long done, long long of) {
                last = done;
                total = of;
            };
            ExportVideoFile(facility, folder.files(), frameCount, options, progress);

            const std::vector<ProbedStream> streams = ProbeStreams(options.target);
            ASSERT_EQ(streams.size(), 2u) << what;
            EXPECT_EQ(streams[0].codec, c.videoCodec) << what;
            EXPECT_EQ(streams[0].packets, frameCount) << what;
            const StreamSpan video = ProbeStreamSpan(options.target, "v:0");
            EXPECT_NEAR(video.end - video.start, frameCount * period / 1000.0, 0.002) << what;
            const StreamSpan sound = ProbeStreamSpan(options.target, "a:0");
            if (c.format != VideoFormat::Avi) { // AVI carries the whole sound file
                EXPECT_NEAR(sound.end, video.end, 0.3) << what;
            }
            EXPECT_EQ(DecodeVideoFrames(options.target, 160, 120).size(), static_cast<size_t>(frameCount)) << what;
            EXPECT_EQ(last, ExportProgressMaximum(frameCount)) << what;
            EXPECT_EQ(total, ExportProgressMaximum(frameCount)) << what;
            fs::remove(options.target);
        }
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.files().WorkingDirectory()), fs::directory_iterator()), 4)
        << "three frames and the sound: nothing of the exports stays behind";
}

TEST(AviVideoFileExportTest, AWorkingFileIsRefusedAsTargetOfEveryFormat)
{
    TempProgramFolder folder;
    SaveFrame(folder.files(), SlidePicture(160, 120, 1), 1);
    FfmpegEncoderFacility facility;
    const std::string frame = folder.files().FrameFilePath(1);
    ASSERT_TRUE(fs::exists(frame));
    for (VideoFormat format : {VideoFormat::Avi, VideoFormat::Mp4, VideoFormat::Mkv}) {
        VideoFileOptions options;
        options.format = format;
        options.encoderCode = "H264";
        options.size = {160, 120};
        options.target = frame;
        EXPECT_THROW(CheckVideoTarget(folder.files(), options.target), DeckrecError);
        EXPECT_THROW(ExportVideoFile(facility, folder.files(), 1, options, {}), DeckrecError);
        Picture kept;
        LoadFrame(folder.files(), 1, kept);
        EXPECT_EQ(kept.width(), 160);
    }
}

} // namespace
