// SPDX-License-Identifier: GPL-3.0-or-later
// The table of video formats: every row names what libavformat and libavcodec really have,
// file names find their format, and each container gets the sound its players expect.
#include "platform/ffmpeg/container_format.h"

#include <gtest/gtest.h>

namespace {

TEST(FfmpegContainerFormatTest, EveryFormatsDefaultEncoderFitsItAndItsExtensionFindsIt)
{
    ASSERT_EQ(VideoFormats().front().format, VideoFormat::Avi);
    for (const VideoFormatInfo& info : VideoFormats()) {
        EXPECT_EQ(&FormatInfo(info.format), &info) << info.name;
        EXPECT_TRUE(FormatTakesEncoder(info.format, info.defaultEncoder)) << info.name;
        EXPECT_EQ(FormatOfFileName(std::string("/a.b/talk.") + info.extension), info.format) << info.name;
    }
    EXPECT_EQ(FormatOfFileName("TALK.Mp4"), VideoFormat::Mp4);
    EXPECT_EQ(FormatOfFileName("talk.gif"), std::nullopt);
    EXPECT_EQ(FormatOfFileName("mp4"), std::nullopt);
    EXPECT_FALSE(FormatTakesEncoder(VideoFormat::WebM, "mpeg4"));
    EXPECT_FALSE(FormatTakesEncoder(VideoFormat::Mp4, "no such encoder"));
}

TEST(FfmpegContainerFormatTest, SoundEncodersFollowTheContainer)
{
    struct Case {
        VideoFormat format;
        const char* wavCodec;
        const char* encoder; // empty: the WAV's packets are copied
    };
    const Case cases[] = {
        {VideoFormat::Mp4, "adpcm_ima_wav", "aac"},
        {VideoFormat::Mp4, "pcm_s16le", "aac"},
        {VideoFormat::WebM, "pcm_s16le", "libopus"},
        {VideoFormat::Mkv, "pcm_s16le", ""},
        {VideoFormat::Mkv, "adpcm_ima_wav", "pcm_s16le"},
        {VideoFormat::Mkv, "no such codec", "pcm_s16le"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SoundEncoderFor(c.format, c.wavCodec), c.encoder)
            << FormatInfo(c.format).name << " with " << c.wavCodec;
}

} // namespace
