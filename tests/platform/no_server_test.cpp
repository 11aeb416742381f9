// SPDX-License-Identifier: GPL-3.0-or-later
// Without a sound server, or with one that never answers: the start-up step and the session's
// sound report what they can't do and go on, without hanging.
#include "ui/main_window.h"
#include "platform/pulse/pulse_mixer_service.h"
#include "platform/pulse/pulse_sound_input.h"
#include "support/fake_dialogs.h"
#include "support/temp_program_folder.h"
#include "support/test_services.h"

#include <QComboBox>
#include <QTimer>
#include <QSlider>
#include <QTemporaryDir>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

class AudioNoServer : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const char* old = std::getenv("PULSE_SERVER"))
            oldServer_ = old;
        hadServer_ = std::getenv("PULSE_SERVER") != nullptr;
    }
    void TearDown() override
    {
        if (hadServer_)
            setenv("PULSE_SERVER", oldServer_.c_str(), 1);
        else
            unsetenv("PULSE_SERVER");
        if (listener_ >= 0)
            close(listener_);
    }
    void pointAt(const std::string& socketPath) { setenv("PULSE_SERVER", ("unix:" + socketPath).c_str(), 1); }
    // A socket that takes connections into its queue and never says a word.
    std::string silentServer()
    {
        const std::string path = dir_.path().toStdString() + "/native";
        listener_ = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        path.copy(addr.sun_path, sizeof addr.sun_path - 1);
        EXPECT_EQ(bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        EXPECT_EQ(listen(listener_, 16), 0);
        return path;
    }

    // Every step of a session that touches the sound.
    void runSession()
    {
        TempProgramFolder folder;
        FakeDialogs dialogs;
        AppServices services = TestAppServices(&dialogs, folder.files());
        services.mixer = &mixers_;
        services.soundInput = &input_;
        TForm1 form(services);
        form.Timer2Timer();
        EXPECT_FALSE(form.Timer2->isActive());
        EXPECT_EQ(form.sounddevice->count(), 0);
        for (QSlider* bar : {form.soundvolume, form.svolume2, form.svolume3})
            EXPECT_EQ(bar->value(), 0);
        form.svolume3->setValue(50); // the user moves a bar: nothing to write to, nothing breaks
        emit form.sounddevice->activated(0);

        form.SoundQuality->setCurrentIndex(3);
        form.StartSoundRecording(QString::fromStdString(folder.files().SoundFilePath()));
        form.StopSoundRecording();
        ASSERT_EQ(dialogs.messages.size(), 2u);
        EXPECT_EQ(dialogs.messages[0].text, "Can not init sound device !");
        EXPECT_EQ(dialogs.messages[1].text, "Can not save sound file !");
        for (const auto& m : dialogs.messages)
            EXPECT_EQ(m.caption, "Error:");
    }

    QTemporaryDir dir_;
    PulseMixerService mixers_; // fresh: no connection from an earlier test
    PulseSoundInput input_;
    std::string oldServer_;
    bool hadServer_ = false;
    int listener_ = -1;
};

} // namespace

TEST_F(AudioNoServer, WithoutASoundServerTheSessionGoesOnWithoutSound)
{
    pointAt(dir_.path().toStdString() + "/nobody-here");
    runSession();
    EXPECT_EQ(mixers_.deviceCount(), 0u);
}

TEST_F(AudioNoServer, AServerThatNeverAnswersIsGivenUpOnInTime)
{
    pointAt(silentServer());
    runSession();
}
