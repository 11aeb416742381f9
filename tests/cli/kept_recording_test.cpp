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

namespace {

// A 16-bit mono PCM sound of ms at 8000 Hz whose header still gives no size, as a run killed
// while it recorded leaves it.
void WriteCutOffSound(const std::string& path, int ms)
{
    const uint32_t rate = 8000;
    std::string header("RIFF\0\0\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0", 24);
    for (const uint32_t value : {rate, rate * 2})
        header.append(reinterpret_cast<const char*>(&value), 4);
    header.append("\x02\0\x10\0data\0\0\0\0", 12);
    std::ofstream(path, std::ios::binary) << header << std::string(rate * 2 * static_cast<uint32_t>(ms) / 1000, '\0');
}

} // namespace

// A performance read back for rendering: the sound's rules (time order, nothing before its
// start or after its end) put right with a warning, what cannot be rendered (an unknown name, a
// time or spot that is no number) named without refusing the manifest, a spot off the slide kept.
TEST(KeptRecording, APerformanceIsReadBackFitToRenderAgainstItsSound)
{
    struct Case {
        const char* performance;
        std::vector<long long> actions; // their times as read
        long long endMs;
        const char* said; // in a warning, or in the damage when actions is empty and endMs -1
    };
    const Case cases[] = {
        {R"({"actions": [{"ms": 1000, "action": "next"}, {"ms": 2000, "action": "next-slide"}]})", {1000, 2000}, 5000, ""},
        {R"({"actions": [{"ms": 3000, "action": "next"}, {"ms": 1000, "action": "next"}, {"ms": 2000, "action": "last"}]})",
         {1000, 2000, 3000}, 5000, "action 2 at 1000 ms comes after one at 3000 ms"},
        {R"({"actions": [{"ms": -20, "action": "next"}, {"ms": 1000, "action": "next"}]})", {0, 1000}, 5000,
         "action 1 at -20 ms): played at its start"},
        {R"({"actions": [{"ms": 1000, "action": "next"}, {"ms": 7000, "action": "next"}, {"ms": 6000, "action": "next"}]})",
         {1000}, 5000, "2 actions after the end of the sound at 5000 ms (the first at 6000 ms): dropped"},
        {R"({"actions": [{"ms": 1e300, "action": "next"}], "endMs": 4000})", {}, 5000, "dropped"},
        {R"({"actions": [{"ms": 500, "action": "next"}], "endMs": -3})", {500}, 5000, "before the sound began"},
        {R"({"actions": [{"ms": 500, "action": "jump"}]})", {}, -1, "action 1 is the unknown action \"jump\""},
        {R"({"actions": [{"ms": "soon", "action": "next"}]})", {}, -1, "action 1 gives no time (\"ms\" is not a number)"},
        {R"({"actions": [{"action": "next"}]})", {}, -1, "action 1 gives no time (\"ms\" is missing)"},
        {R"({"actions": [], "pointer": [{"ms": 10, "x": 0.5, "y": 0.5, "shape": "cross"}]})", {}, -1,
         "pointer sample 1 has the unknown pointer shape \"cross\""},
        {R"({"actions": [], "pointer": [{"ms": 10, "x": "left", "y": 0.5, "shape": "arrow"}]})", {}, -1,
         "pointer sample 1 gives no x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.performance);
        TempProgramFolder folder;
        WriteCutOffSound(folder.files().SoundFilePath(), 5000);
        std::ofstream(folder.path() + "temp/recording.json")
            << R"({"FrameCount": 0, "audio": true, "ended": false, "performance": )" << c.performance << "}";
        const RecordingManifest manifest = ReadRecordingManifest(folder.files().WorkingDirectory());
        EXPECT_TRUE(manifest.performedLive);
        std::vector<long long> read;
        for (const PerformedAction& action : manifest.performance.actions)
            read.push_back(action.ms);
        EXPECT_EQ(read, c.actions);
        EXPECT_EQ(manifest.performance.endMs, c.endMs);
        std::string said = manifest.performanceDamage;
        for (const std::string& warning : manifest.performanceWarnings)
            said += warning + "\n";
        EXPECT_NE(said.find(c.said), std::string::npos) << said;
        if (!*c.said) {
            EXPECT_EQ(said, "");
        }
    }

    // A spot off the slide is kept (never drawn), a sample without one is where the pointer left.
    TempProgramFolder folder;
    std::ofstream(folder.path() + "recording.json") << R"({"FrameCount": 0, "performance": {"actions": [],
        "pointer": [{"ms": 10, "x": 1.5, "y": 0.5, "shape": "hand"}, {"ms": 20}], "endMs": 30}})";
    const RecordingManifest manifest = ReadRecordingManifest(folder.path());
    ASSERT_EQ(manifest.performance.pointer.size(), 2u);
    EXPECT_EQ(manifest.performance.pointer[0].x, 1.5);
    EXPECT_EQ(manifest.performance.pointer[0].shape, PointerShape::Hand);
    EXPECT_FALSE(manifest.performance.pointer[1].over);
    EXPECT_EQ(manifest.performanceDamage + (manifest.performanceWarnings.empty() ? "" : "warned"), "");
}
