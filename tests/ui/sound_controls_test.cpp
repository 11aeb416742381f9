// SPDX-License-Identifier: GPL-3.0-or-later
// The start-up step and the sound controls of the Main window against a fake mixer.
#include "ui/main_window.h"
#include "audio/media_player.h"
#include "fake_mixer_service.h"
#include "fake_sound_input.h"
#include "support/fake_dialogs.h"
#include "support/temp_program_folder.h"
#include "support/test_services.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QSlider>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

using K = MixerControlKind;
using V = std::vector<uint32_t>;

class AudioControls : public ::testing::Test {
protected:
    void install(FakeMixerService fake)
    {
        mixer = std::move(fake);
    }
    // A Main window that works through the fake mixer and the fake input.
    AppServices services()
    {
        AppServices s = TestAppServices(&dialogs, folder.files());
        s.mixer = &mixer;
        s.soundInput = &input;
        return s;
    }

    QStringList items(const TForm1& form) const
    {
        QStringList out;
        for (int i = 0; i < form.sounddevice->count(); ++i)
            out << form.sounddevice->itemText(i);
        return out;
    }
    std::vector<V> muxWrites() const { return mixer.writesTo(FakeMixerService::LineId(0, 1, -1), K::Mux); }
    // The multiplexer as last written: which source line records.
    int recordedLine() const
    {
        const auto w = muxWrites();
        if (w.empty())
            return -1;
        for (size_t i = 0; i < w.back().size(); ++i)
            if (w.back()[i])
                return int(w.back().size() - 1 - i);
        return -1;
    }
    // Writes other than the multiplexer's choice of the recorded input.
    size_t levelWrites() const
    {
        size_t n = 0;
        for (const auto& w : mixer.writes)
            n += w.controlId != FakeMixerService::ControlId(FakeMixerService::LineId(0, 1, -1), K::Mux);
        return n;
    }
    // The input that the session's sound is recorded from.
    std::string recordedInput(TForm1& form)
    {
        form.SoundQuality->setCurrentIndex(3);
        form.StartSoundRecording(QString::fromStdString(folder.files().SoundFilePath()));
        form.StopSoundRecording();
        return input.inputName;
    }

    TempProgramFolder folder;
    FakeMixerService mixer;
    FakeSoundInput input;
    FakeDialogs dialogs;
};

FakeMixerService WithInputs(const std::vector<std::string>& names)
{
    std::vector<std::pair<std::string, int>> inputs;
    int percent = 10;
    for (const auto& n : names)
        inputs.push_back({n, percent += 10});
    return FakeMixerService::Typical(70, {"Wave", "SW Synth"}, inputs);
}

// Inputs as a sound server shows them: a microphone, the monitors of both outputs (the
// default output "Wave" second), a line input.
FakeMixerService WithMonitors()
{
    auto fake = WithInputs({"Microphone", "Monitor of SW Synth", "Monitor of Wave", "Line In"});
    fake.line(0, 1, 1).monitorOf = "out:SW Synth";
    fake.line(0, 1, 2).monitorOf = "out:Wave";
    return fake;
}

} // namespace

TEST_F(AudioControls, StartUpChoosesTheDefaultOutputsMonitorAndWritesNoLevel)
{
    install(WithMonitors());
    mixer.line(0, 0, 1).volume.value = 13107; // the second output at 20 %: shown, not changed
    TForm1 form(services());
    form.Timer2Timer();

    EXPECT_FALSE(form.Timer2->isActive());
    EXPECT_EQ(items(form), QStringList({"Microphone", "Monitor of SW Synth", "Monitor of Wave", "Line In"}));
    EXPECT_EQ(form.sounddevice->currentIndex(), 2);
    EXPECT_EQ(recordedLine(), 2);
    EXPECT_EQ(form.soundvolume->value(), 40);
    EXPECT_EQ(form.svolume2->value(), 20);
    EXPECT_EQ(form.svolume3->value(), 70);
    // The only thing written is the choice of input: no level is written back or set.
    EXPECT_EQ(levelWrites(), 0u);
    EXPECT_EQ(mixer.line(0, 0, 1).volume.value, 13107u);
    EXPECT_EQ(recordedInput(form), "in:Monitor of Wave");
    EXPECT_TRUE(dialogs.messages.empty());

    // The hint names the line that records what the computer plays.
    const auto* note = form.findChild<QLabel*>("noteLabel");
    ASSERT_NE(note, nullptr);
    EXPECT_TRUE(note->text().contains("[Monitor of")) << note->text().toStdString();
    EXPECT_FALSE(note->text().contains("Mono Out"));
}

TEST_F(AudioControls, WithoutTheMonitorTheDefaultInputOrTheFirstIsChosen)
{
    struct Case {
        std::vector<std::string> names;
        std::string defaultInput; // the recording destination's own device
        std::string otherMonitor; // an input that records an output other than the default
        int selected;
    } cases[] = {
        {{"Mono Out", "Line In", "Microphone"}, "in:Microphone", "", 2}, // a "Mono" name means nothing
        {{"CD Player", "Line In", "Microphone"}, "", "", 0},
        {{"CD Player", "Monitor of SW Synth", "Mic"}, "in:Mic", "Monitor of SW Synth", 2},
        {{"Microphone"}, "", "", 0}, // only one input: that one
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.names[0]);
        install(WithInputs(c.names));
        mixer.line(0, 1, -1).deviceName = c.defaultInput;
        for (size_t i = 0; i < c.names.size(); ++i)
            if (c.names[i] == c.otherMonitor)
                mixer.line(0, 1, int(i)).monitorOf = "out:SW Synth";
        TForm1 form(services());
        form.Timer2Timer();
        EXPECT_EQ(form.sounddevice->currentIndex(), c.selected);
        EXPECT_EQ(recordedLine(), c.selected);
        EXPECT_EQ(form.soundvolume->value(), mixer.percent(1, c.selected));
        EXPECT_EQ(levelWrites(), 0u);
        // The chosen input's level follows its bar.
        form.soundvolume->setValue(form.soundvolume->value() + 7);
        EXPECT_EQ(mixer.percent(1, c.selected), form.soundvolume->value());
        EXPECT_EQ(recordedInput(form), "in:" + c.names[size_t(c.selected)]);
    }
}

TEST_F(AudioControls, MissingLinesOrNoMixerLeaveTheControlsAtZeroAndWriteNothing)
{
    {
        install(FakeMixerService{}); // no mixer device at all
        TForm1 form(services());
        form.Timer2Timer();
        EXPECT_FALSE(form.Timer2->isActive());
        EXPECT_EQ(form.sounddevice->count(), 0);
        for (QSlider* bar : {form.soundvolume, form.svolume2, form.svolume3})
            EXPECT_EQ(bar->value(), 0);
        form.svolume2->setValue(20);
        form.svolume3->setValue(30);
        form.soundvolume->setValue(40);
        form.sounddeviceChange();
        EXPECT_TRUE(mixer.writes.empty());
        EXPECT_EQ(recordedInput(form), ""); // the system's default input
    }
    {
        // One output, one input: line 1 exists on neither destination.
        auto fake = FakeMixerService::Typical(0, {"Wave"}, {{"Microphone", 60}});
        install(fake);
        TForm1 form(services());
        form.Timer2Timer();
        EXPECT_EQ(items(form), QStringList({"Microphone"}));
        EXPECT_EQ(form.sounddevice->currentIndex(), 0);
        EXPECT_EQ(form.svolume2->value(), 0);
        EXPECT_EQ(form.soundvolume->value(), 60);
        EXPECT_EQ(levelWrites(), 0u);
        form.svolume2->setValue(20);
        EXPECT_EQ(levelWrites(), 0u);
    }
    {
        // No recording destination: playback lines are not offered as inputs.
        auto fake = FakeMixerService::Typical(50, {"Wave", "Synth"}, {});
        fake.mixers[0].destinations.pop_back();
        install(fake);
        TForm1 form(services());
        form.Timer2Timer();
        EXPECT_EQ(form.sounddevice->count(), 0);
        EXPECT_EQ(form.svolume3->value(), 50);
        EXPECT_EQ(form.svolume2->value(), 50);
        EXPECT_TRUE(mixer.writes.empty());
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(AudioControls, UserChangesGoStraightToTheMixer)
{
    install(WithMonitors());
    TForm1 form(services());
    form.Timer2Timer();
    mixer.writes.clear();

    // Choosing from the program raises nothing; the user's choice selects and shows the line,
    // without writing its level.
    form.sounddevice->setCurrentIndex(3);
    EXPECT_TRUE(mixer.writes.empty());
    emit form.sounddevice->activated(3);
    EXPECT_EQ(recordedLine(), 3);
    EXPECT_EQ(form.soundvolume->value(), 50);
    EXPECT_EQ(levelWrites(), 0u);

    form.soundvolume->setValue(55);
    EXPECT_EQ(mixer.percent(1, 3), 55);
    EXPECT_EQ(recordedLine(), 3);
    form.svolume2->setValue(12);
    EXPECT_EQ(mixer.percent(0, 1), 12);
    form.svolume3->setValue(88);
    EXPECT_EQ(mixer.percent(0, -1), 88);

    // A track bar that does not move writes nothing.
    mixer.writes.clear();
    form.svolume3->setValue(88);
    form.svolume3->setValue(140); // clamped to 100: one move
    EXPECT_EQ(mixer.writes.size(), 1u);
    EXPECT_EQ(mixer.percent(0, -1), 100);
}

TEST_F(AudioControls, TheChoiceStaysWithItsDeviceWhenInputsComeAndGo)
{
    install(WithMonitors());
    TForm1 form(services());
    form.Timer2Timer();
    form.sounddevice->setCurrentIndex(form.sounddevice->findText("Line In"));
    emit form.sounddevice->activated(form.sounddevice->currentIndex());
    auto& recording = mixer.mixers[0].destinations[1];
    const auto reportInputsChanged = [&] {
        recording.own.mux.items.assign(recording.sources.size(), 0);
        mixer.report({MixerChange::Line, FakeMixerService::LineId(0, 1, -1)});
        QCoreApplication::processEvents();
    };

    // A device plugged in ahead of the chosen one: the list shows it, the choice stays.
    recording.sources.insert(recording.sources.begin(), VolumeLine("USB Mic", 77));
    recording.sources.front().deviceName = "in:USB Mic";
    reportInputsChanged();
    EXPECT_EQ(items(form), QStringList({"USB Mic", "Microphone", "Monitor of SW Synth", "Monitor of Wave", "Line In"}));
    EXPECT_EQ(form.sounddevice->currentText(), "Line In");
    EXPECT_EQ(recordedLine(), 4);
    form.soundvolume->setValue(33);
    EXPECT_EQ(mixer.percent(1, 4), 33);
    EXPECT_EQ(mixer.percent(1, 0), 77);
    EXPECT_EQ(recordedInput(form), "in:Line In");

    // The chosen device goes: the default one is chosen again.
    recording.sources.pop_back();
    reportInputsChanged();
    EXPECT_EQ(form.sounddevice->count(), 4);
    EXPECT_EQ(form.sounddevice->currentText(), "Monitor of Wave");
    EXPECT_EQ(recordedLine(), 3);
    EXPECT_EQ(recordedInput(form), "in:Monitor of Wave");
    EXPECT_TRUE(dialogs.messages.empty());
}
