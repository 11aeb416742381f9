// SPDX-License-Identifier: GPL-3.0-or-later
// Starting and stopping the session's sound from the Main window, against a fake input.
#include "ui/main_window.h"
#include "audio/media_player.h"
#include "fake_sound_input.h"
#include "support/fake_dialogs.h"
#include "support/temp_program_folder.h"
#include "support/test_services.h"
#include "wave_inspect.h"

#include <QComboBox>
#include <QTimer>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

class AudioRecording : public ::testing::Test {
protected:
    AudioRecording()
    {
        AppServices services = TestAppServices(&dialogs, folder.files());
        services.soundInput = &input;
        form = std::make_unique<TForm1>(services);
        form->Timer2->stop();
        form->MediaPlayer1->recorder().setTailWaitMs(0);
    }
    ~AudioRecording() override
    {
        form.reset();
    }
    void installTemplates()
    {
        for (const char* name : {"adpcm1.wav", "adpcm2.wav", "adpcm3.wav"})
            std::filesystem::copy_file(std::string(DECKREC_BUILT_PROGRAM_DIR) + "/" + name, folder.path() + name);
    }
    QStringList shown() const
    {
        QStringList out;
        for (const auto& m : dialogs.messages) {
            EXPECT_EQ(m.caption, "Error:");
            EXPECT_EQ(m.icon, DialogService::Icon::Error);
            out << m.text;
        }
        return out;
    }

    TempProgramFolder folder;
    FakeDialogs dialogs;
    FakeSoundInput input;
    std::unique_ptr<TForm1> form;
    const QString path = QString::fromStdString(folder.files().SoundFilePath());
};

} // namespace

TEST_F(AudioRecording, EachRecordFormatRecordsIntoItsOwnFormat)
{
    installTemplates();
    const struct {
        int item;
        uint16_t tag;
        uint32_t rate;
        uint16_t channels;
    } formats[] = {{0, 0x11, 11025, 1}, {1, 0x11, 22050, 1}, {2, 0x11, 44100, 1}, {3, 1, 44100, 2}, {-1, 1, 44100, 2}};
    for (const auto& f : formats) {
        form->SoundQuality->setCurrentIndex(f.item);
        form->StartSoundRecording(path);
        ASSERT_NE(input.capture, nullptr);
        EXPECT_TRUE(input.capture->running());
        input.capture->tone(2000);
        form->StopSoundRecording();
        EXPECT_EQ(form->MediaPlayer1->DeviceID(), 0);
        const WaveHeader h = ReadWaveHeader(path.toStdString());
        ASSERT_TRUE(h.valid) << f.item;
        EXPECT_EQ(h.formatTag, f.tag) << f.item;
        EXPECT_EQ(h.rate, f.rate) << f.item;
        EXPECT_EQ(h.channels, f.channels) << f.item;
    }
    EXPECT_TRUE(shown().isEmpty());
}

TEST_F(AudioRecording, AMissingTemplateIsReportedAtStartAndAtStop)
{
    form->SoundQuality->setCurrentIndex(0); // adpcm1.wav is not there
    form->StartSoundRecording(path);
    EXPECT_EQ(shown(), QStringList({"Can not init sound device !"}));
    EXPECT_FALSE(std::filesystem::exists(path.toStdString()));
    EXPECT_EQ(input.opened, 0);
    form->StopSoundRecording();
    EXPECT_EQ(shown(), QStringList({"Can not init sound device !", "Can not save sound file !"}));

    // A later start opens afresh.
    dialogs.messages.clear();
    form->SoundQuality->setCurrentIndex(3);
    form->StartSoundRecording(path);
    form->StopSoundRecording();
    EXPECT_TRUE(shown().isEmpty());
    EXPECT_TRUE(ReadWaveHeader(path.toStdString()).valid);
}

TEST_F(AudioRecording, NoInputIsReportedAndTheSessionGoesOn)
{
    input.available = false;
    form->SoundQuality->setCurrentIndex(3);
    form->StartSoundRecording(path);
    form->StopSoundRecording();
    EXPECT_EQ(shown(), QStringList({"Can not init sound device !", "Can not save sound file !"}));
    // The built-in file was prepared and stays as it was.
    EXPECT_EQ(FileBytes(path.toStdString()).size(), 44u);
}

TEST_F(AudioRecording, StopWithoutStartReportsThatNothingCanBeSaved)
{
    form->StopSoundRecording();
    EXPECT_EQ(shown(), QStringList({"Can not save sound file !"}));
}

TEST_F(AudioRecording, ASecondStartDropsTheRunningRecording)
{
    form->SoundQuality->setCurrentIndex(3);
    form->StartSoundRecording(path);
    input.capture->tone(44100);
    FakeCapture* first = input.capture;
    form->SoundQuality->setCurrentIndex(-1);
    form->StartSoundRecording(path);
    EXPECT_NE(input.capture, nullptr);
    EXPECT_EQ(input.opened, 2);
    (void)first; // freed by the second start
    form->StopSoundRecording();
    EXPECT_TRUE(shown().isEmpty());
    // Only the second recording's sound: none, since nothing was delivered to it.
    const DecodedSound s = DecodeSound(path.toStdString());
    EXPECT_EQ(s.channels, 2);
    EXPECT_LT(s.frames(), 44100u);
    EXPECT_EQ(Rms(s, 0, 0, s.frames()), 0.0);
}

TEST_F(AudioRecording, AFileThatCannotBeSavedIsReported)
{
    form->SoundQuality->setCurrentIndex(3);
    form->StartSoundRecording(path);
    input.capture->tone(4410);
    // The working directory vanishes under the recording.
    form->MediaPlayer1->FileName = QString::fromStdString(folder.path() + "gone/_temp.wav");
    form->StopSoundRecording();
    EXPECT_EQ(shown(), QStringList({"Can not save sound file !"}));
}
