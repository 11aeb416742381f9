// SPDX-License-Identifier: GPL-3.0-or-later
// Preparing the sound file, and the format templates the build puts into the program folder.
#include "core/deckrec_error.h"
#include "audio/sound_file.h"
#include "support/temp_program_folder.h"
#include "wave_inspect.h"

#include <sndfile.h>

#include <cstring>
#include <fstream>
#include <gtest/gtest.h>

using namespace std::string_literals;

TEST(AudioSoundFile, RecordFormatItemsMapToTheirTemplates)
{
    EXPECT_EQ(TemplateForRecordFormat(0), "adpcm1.wav");
    EXPECT_EQ(TemplateForRecordFormat(1), "adpcm2.wav");
    EXPECT_EQ(TemplateForRecordFormat(2), "adpcm3.wav");
    for (int other : {3, -1, 4, 1000})
        EXPECT_EQ(TemplateForRecordFormat(other), "") << other;
}

TEST(AudioSoundFile, TheBuiltInPcmFileIsTheEmpty44ByteStereoHeader)
{
    TempProgramFolder folder;
    const std::string path = folder.files().WorkingDirectory() + "_temp.wav";
    std::ofstream(path) << std::string(5000, 'x'); // an old, longer file is replaced entirely
    PrepareSoundFile(folder.path(), "", path);
    const uint8_t expected[44] = {'R', 'I', 'F', 'F', 36, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
                                  16, 0, 0, 0, 1, 0, 2, 0, 0x44, 0xAC, 0, 0, 0x10, 0xB1, 2, 0,
                                  4, 0, 16, 0, 'd', 'a', 't', 'a', 0, 0, 0, 0};
    EXPECT_EQ(FileBytes(path), std::vector<uint8_t>(expected, expected + 44));
    // Another reader agrees on what it declares.
    SF_INFO info;
    std::memset(&info, 0, sizeof info);
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    EXPECT_EQ(info.frames, 0);
    sf_close(f);
}

TEST(AudioSoundFile, ATemplateIsCopiedWholeAndAMissingOneLeavesNoFile)
{
    TempProgramFolder folder;
    const std::string path = folder.files().WorkingDirectory() + "_temp.wav";
    const std::string content = "template bytes\0with a zero"s;
    std::ofstream(folder.path() + "adpcm1.wav", std::ios::binary) << content;
    std::ofstream(path) << std::string(5000, 'x');
    PrepareSoundFile(folder.path(), "adpcm1.wav", path);
    const auto bytes = FileBytes(path);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), content);

    PrepareSoundFile(folder.path(), "adpcm3.wav", path);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(AudioSoundFile, AnUnwritableBuiltInFileThrows)
{
    TempProgramFolder folder;
    EXPECT_THROW(PrepareSoundFile(folder.path(), "", folder.path() + "no-such-folder/_temp.wav"), DeckrecError);
}

TEST(AudioSoundFile, TheBuildMakesTheThreeAdpcmTemplates)
{
    const struct {
        const char* name;
        uint32_t rate;
    } templates[] = {{"adpcm1.wav", 11025}, {"adpcm2.wav", 22050}, {"adpcm3.wav", 44100}};
    for (const auto& t : templates) {
        const std::string path = std::string(DECKREC_BUILT_PROGRAM_DIR) + "/" + t.name;
        const WaveHeader h = ReadWaveHeader(path);
        ASSERT_TRUE(h.valid) << path;
        EXPECT_EQ(h.formatTag, 0x11) << t.name; // IMA ADPCM
        EXPECT_EQ(h.channels, 1) << t.name;
        EXPECT_EQ(h.rate, t.rate) << t.name;
        EXPECT_EQ(h.bits, 4) << t.name;
        EXPECT_EQ(h.dataBytes, 0u) << t.name;
        EXPECT_EQ(DecodeSound(path).rate, int(t.rate)) << t.name;
    }
}
