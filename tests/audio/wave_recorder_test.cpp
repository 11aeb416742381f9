// SPDX-License-Identifier: GPL-3.0-or-later
// The recorder's five steps against an input of the test's making and a clock it moves.
#include "core/deckrec_error.h"
#include "audio/sound_file.h"
#include "audio/wave_recorder.h"
#include "fake_sound_input.h"
#include "support/temp_program_folder.h"
#include "wave_inspect.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

constexpr double kToneRms = 0.5 / M_SQRT2;

struct Format {
    const char* templateName; // "" for the built-in PCM file
    uint16_t tag;
    int rate;
    int channels;
    size_t block; // frames per coded block
};

const Format kFormats[] = {
    {"adpcm1.wav", 0x11, 11025, 1, 505},
    {"adpcm2.wav", 0x11, 22050, 1, 1017},
    {"adpcm3.wav", 0x11, 44100, 1, 4089},
    {"", 0x01, 44100, 2, 1},
};

class AudioRecorder : public ::testing::Test {
protected:
    AudioRecorder() : recorder(input, [this] { return nowUs; })
    {
        for (const char* name : {"adpcm1.wav", "adpcm2.wav", "adpcm3.wav"})
            std::filesystem::copy_file(std::string(DECKREC_BUILT_PROGRAM_DIR) + "/" + name, folder.path() + name);
    }

    void prepareAndOpen(const Format& f)
    {
        PrepareSoundFile(folder.path(), f.templateName, path);
        recorder.open(path);
        ASSERT_NE(input.capture, nullptr);
    }
    // Moves the clock on by ms while the input delivers that much tone in 20 ms pieces.
    void play(int ms)
    {
        for (int done = 0; done < ms; done += 20) {
            const int step = std::min(20, ms - done);
            input.capture->tone(size_t(input.capture->rate * step / 1000));
            nowUs += step * 1000;
        }
    }

    TempProgramFolder folder;
    const std::string path = folder.files().WorkingDirectory() + "_temp.wav";
    FakeSoundInput input;
    int64_t nowUs = 1'000'000;
    WaveRecorder recorder;
};

} // namespace

TEST_F(AudioRecorder, RecordsEveryFormatAsDeclaredForAsLongAsItRan)
{
    for (const Format& f : kFormats) {
        SCOPED_TRACE(f.rate);
        prepareAndOpen(f);
        EXPECT_EQ(input.capture->rate, f.rate);
        EXPECT_EQ(input.capture->channels, f.channels);
        ASSERT_TRUE(recorder.record());
        play(1300);
        recorder.stop();
        EXPECT_FALSE(input.capture->running());
        recorder.save(path);
        recorder.close();

        const WaveHeader h = ReadWaveHeader(path);
        ASSERT_TRUE(h.valid);
        EXPECT_EQ(h.formatTag, f.tag);
        EXPECT_EQ(h.rate, uint32_t(f.rate));
        EXPECT_EQ(h.channels, f.channels);
        const DecodedSound s = DecodeSound(path);
        // The length is the time recorded, to the nearest whole block.
        const size_t expected = size_t(std::lround(1.3 * f.rate / double(f.block))) * f.block;
        EXPECT_EQ(s.frames(), expected);
        for (int c = 0; c < f.channels; ++c) {
            EXPECT_NEAR(Rms(s, c, 0, size_t(f.rate)), kToneRms, kToneRms * 0.03);
            EXPECT_NEAR(DominantFrequency(s, c, 0, size_t(f.rate)), 1000, 10);
        }
    }
}

TEST_F(AudioRecorder, HolesBecomeSilenceWhereTheyWere)
{
    prepareAndOpen(kFormats[3]);
    ASSERT_TRUE(recorder.record());
    play(200);
    input.capture->hole(4410);
    nowUs += 100'000;
    play(200);
    recorder.stop();
    recorder.save(path);

    const DecodedSound s = DecodeSound(path);
    ASSERT_EQ(s.frames(), 22050u);
    EXPECT_NEAR(Rms(s, 0, 0, 8820), kToneRms, 0.01);
    EXPECT_EQ(Rms(s, 1, 8820, 4410), 0.0);
    EXPECT_NEAR(Rms(s, 1, 13230, 8820), kToneRms, 0.01);
    EXPECT_EQ(recorder.stats().holeFrames, 4410u);
    EXPECT_EQ(recorder.stats().paddedFrames, 0u);
}

TEST_F(AudioRecorder, TheRecordingEndsWhenStoppedWhateverTheInputDelivered)
{
    recorder.setTailWaitMs(0);
    prepareAndOpen(kFormats[3]);
    ASSERT_TRUE(recorder.record());
    play(300);
    nowUs += 700'000; // the input fell silent: the rest of the second is silence
    recorder.stop();
    recorder.save(path);
    DecodedSound s = DecodeSound(path);
    ASSERT_EQ(s.frames(), 44100u);
    EXPECT_NEAR(Rms(s, 0, 0, 13230), kToneRms, 0.01);
    EXPECT_EQ(Rms(s, 0, 13230, 44100 - 13230), 0.0);
    EXPECT_EQ(recorder.stats().paddedFrames, 44100u - 13230u);

    // An input running ahead of the clock: what came after the stop's moment is cut.
    prepareAndOpen(kFormats[3]);
    ASSERT_TRUE(recorder.record());
    play(500);
    input.capture->tone(8820); // 0.2 s that belong after the stop
    recorder.stop();
    recorder.save(path);
    EXPECT_EQ(DecodeSound(path).frames(), 22050u);
}

TEST_F(AudioRecorder, AnInputFasterThanTheClockIsHeldToTheClock)
{
    // 24 ms of sound for every 20 ms of clock, as a virtual source may deliver.
    prepareAndOpen(kFormats[3]);
    ASSERT_TRUE(recorder.record());
    for (int i = 0; i < 100; ++i) {
        input.capture->tone(size_t(input.capture->rate * 24 / 1000));
        nowUs += 20'000;
    }
    recorder.stop();
    recorder.save(path);
    const DecodedSound s = DecodeSound(path);
    EXPECT_EQ(s.frames(), 2u * 44100u);
    EXPECT_NEAR(Rms(s, 0, 0, s.frames()), kToneRms, kToneRms * 0.03);
    EXPECT_GT(recorder.stats().droppedFrames, 0u); // the rest of the surplus was cut at the stop
}

TEST_F(AudioRecorder, SoundReachesTheDiskWhileRecording)
{
    prepareAndOpen(kFormats[3]);
    ASSERT_TRUE(recorder.record());
    play(5000);
    // All but the held-back newest quarter second is on disk already.
    EXPECT_GE(std::filesystem::file_size(path), 44u + 176400u * 47 / 10);
    recorder.stop();
    recorder.save(path);
    EXPECT_EQ(DecodeSound(path).frames(), 5u * 44100u);
}

TEST_F(AudioRecorder, OpenFailsWithoutASoundFileOrAnInput)
{
    EXPECT_THROW(recorder.open(path), DeckrecError); // nothing prepared
    std::ofstream(path) << "not a sound file";
    EXPECT_THROW(recorder.open(path), DeckrecError);
    EXPECT_FALSE(recorder.isOpen());

    PrepareSoundFile(folder.path(), "", path);
    input.available = false;
    EXPECT_THROW(recorder.open(path), DeckrecError);
    EXPECT_FALSE(recorder.isOpen());
    EXPECT_FALSE(recorder.record());
}

TEST_F(AudioRecorder, ARecordingThatCouldNotStartSavesAFileWithoutSound)
{
    input.startFails = true;
    prepareAndOpen(kFormats[1]);
    EXPECT_FALSE(recorder.record());
    nowUs += 500'000;
    recorder.stop();
    recorder.save(path);
    const WaveHeader h = ReadWaveHeader(path);
    ASSERT_TRUE(h.valid);
    EXPECT_EQ(h.formatTag, 0x11);
    EXPECT_EQ(h.rate, 22050u);
    EXPECT_EQ(DecodeSound(path).frames(), 0u);
}

TEST_F(AudioRecorder, SavingElsewhereMovesTheRecording)
{
    prepareAndOpen(kFormats[0]);
    ASSERT_TRUE(recorder.record());
    play(100);
    const std::string other = folder.path() + "kept.wav";
    recorder.save(other);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(DecodeSound(other).frames(), 1010u); // 0.1 s to the nearest 505-frame block
}

namespace {

// The first frame from `from` on where 5 ms pieces turn from `wasSound` to the other state.
size_t NextChange(const DecodedSound& s, size_t from, bool wasSound)
{
    const size_t piece = size_t(s.rate / 200);
    size_t at = from;
    while (at + piece <= s.frames() && (Rms(s, 0, at, piece) > 0.1) == wasSound)
        at += piece;
    return at;
}

} // namespace

TEST_F(AudioRecorder, AStallThatTheInputDoesNotReportBecomesSilenceWhereItHappened)
{
    // The input delivers half a second, falls silent for a second without a word, then goes on.
    prepareAndOpen(kFormats[3]);
    ASSERT_TRUE(recorder.record());
    play(500);
    nowUs += 1'000'000;
    play(500);
    recorder.stop();
    recorder.save(path);

    const DecodedSound s = DecodeSound(path);
    ASSERT_EQ(s.frames(), 2u * 44100u);
    const double stallAt = double(NextChange(s, 0, true)) / s.rate;
    const double resumedAt = double(NextChange(s, NextChange(s, 0, true), false)) / s.rate;
    std::printf("stall heard at %.3f s (was 0.500), sound resumes at %.3f s (was 1.500)\n", stallAt, resumedAt);
    EXPECT_NEAR(stallAt, 0.5, 0.01);
    EXPECT_NEAR(resumedAt, 1.5, 0.01);
    EXPECT_NEAR(Rms(s, 0, 66150 + 441, 22050 - 882), kToneRms, 0.01);
    EXPECT_EQ(recorder.stats().paddedFrames, 0u);
}

TEST_F(AudioRecorder, ALateStartIsSilenceAtTheStartNotSoundMovedEarly)
{
    prepareAndOpen(kFormats[3]);
    ASSERT_TRUE(recorder.record());
    nowUs += 300'000; // the first sound is captured 0.3 s in
    play(700);
    recorder.stop();
    recorder.save(path);
    const DecodedSound s = DecodeSound(path);
    ASSERT_EQ(s.frames(), 44100u);
    EXPECT_NEAR(double(NextChange(s, 0, false)) / s.rate, 0.3, 0.01);
}

TEST_F(AudioRecorder, SoundThatArrivesLateIsPlacedWhereItWasCaptured)
{
    // A busy machine hands over 300 ms at once, captured over the last 300 ms: no silence is
    // made up for the delay, and nothing is moved.
    prepareAndOpen(kFormats[3]);
    ASSERT_TRUE(recorder.record());
    play(200);
    nowUs += 300'000;
    for (int piece = 0; piece < 15; ++piece) {
        input.capture->ageUs = 300'000 - piece * 20'000;
        input.capture->tone(882);
    }
    input.capture->ageUs = 0;
    play(500);
    recorder.stop();
    recorder.save(path);
    const DecodedSound s = DecodeSound(path);
    ASSERT_EQ(s.frames(), 44100u);
    EXPECT_GT(NextChange(s, 0, true), s.frames() - 441); // sound to the end, without a gap
    EXPECT_EQ(recorder.stats().stallFrames, 0u);
    EXPECT_EQ(recorder.stats().droppedFrames, 0u);
}
