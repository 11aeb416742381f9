// SPDX-License-Identifier: GPL-3.0-or-later
// A kept recording's frame period, from its recording.json to the GIF an export writes and the
// length its summary line gives.
#include "cli/output_writer.h"
#include "cli/recording_manifest.h"
#include "cli/terminal.h"
#include "core/deckrec_error.h"
#include "core/frame_store.h"
#include "gif_oracle.h"
#include "gif_test_pictures.h"
#include "platform/ffmpeg/ffmpeg_encoder_facility.h"
#include "support/temp_program_folder.h"

#include <fstream>
#include <optional>
#include <gtest/gtest.h>

TEST(KeptRecording, TheManifestGivesItsFramePeriodOrTheDefaultAndRefusesANonPositiveOne)
{
    struct Case {
        const char* json;
        std::optional<int> period; // unset: the manifest is refused
    };
    const Case cases[] = {
        {R"({"FrameCount": 3})", 150},
        {R"({"FrameCount": 3, "framePeriodMs": 100})", 100},
        {R"({"FrameCount": 3, "framePeriodMs": 0})", std::nullopt},
        {R"({"FrameCount": 3, "framePeriodMs": -40})", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.json);
        TempProgramFolder folder;
        std::ofstream(folder.path() + "recording.json") << c.json;
        if (c.period) {
            EXPECT_EQ(ReadRecordingManifest(folder.path()).framePeriodMs, *c.period);
        } else {
            try {
                ReadRecordingManifest(folder.path());
                ADD_FAILURE() << "accepted";
            } catch (const DeckrecError& e) {
                EXPECT_NE(std::string(e.what()).find("framePeriodMs"), std::string::npos) << e.what();
            }
        }
    }

    TempProgramFolder folder;
    RecordingManifest written;
    written.frameCount = 8;
    written.framePeriodMs = 40;
    WriteRecordingManifest(folder.path(), written);
    EXPECT_EQ(ReadRecordingManifest(folder.path()).framePeriodMs, 40);
}

TEST(KeptRecording, AGifExportLastsTheSlotsAtTheRecordingsPeriod)
{
    constexpr int kSlots = 10;
    TempProgramFolder folder;
    for (int slot = 1; slot <= kSlots; ++slot)
        SaveFrame(folder.files(), SlidePicture(120, 90, 5 * slot, 20), slot);
    FfmpegEncoderFacility encoders;
    Terminal terminal(true);
    for (int period : {150, 100, 40}) {
        SCOPED_TRACE(period);
        PlannedOutput output;
        output.gif = true;
        output.path = folder.path() + "talk.gif";
        const RecordingToExport recording{folder.files(), kSlots, false, static_cast<double>(period)};
        const std::string summary =
            WriteOutput(output, CommandLine{}, recording, encoders, terminal, [] { return false; });

        const std::string length = DurationText(static_cast<long long>(kSlots) * period);
        EXPECT_EQ(summary.substr(summary.size() - length.size()), length) << summary;
        const DecodedGif gif = DecodeGif(ReadFileBytes(output.path));
        ASSERT_TRUE(gif.ok) << gif.error;
        int hundredths = 0;
        for (const DecodedFrame& frame : gif.frames)
            hundredths += frame.delay;
        EXPECT_EQ(hundredths, kSlots * period / 10);
    }
}
