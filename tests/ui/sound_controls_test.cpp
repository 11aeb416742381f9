// The start-up step and the sound controls of the Main window against a fake mixer.
#include "ui/main_window.h"
#include "fake_mixer_service.h"
#include "support/fake_dialogs.h"
#include "support/test_services.h"

#include <QComboBox>
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
    // A Main window that works through the fake mixer.
    AppServices services()
    {
        AppServices s = TestAppServices(&dialogs);
        s.mixer = &mixer;
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

    FakeMixerService mixer;
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

} // namespace

TEST_F(AudioControls, StartUpPicksTheMonoLineAndSetsTheLevels)
{
    install(WithInputs({"CD Player", "Mono Out", "Microphone", "Line In"}));
    mixer.line(0, 0, 1).volume.value = 1000; // whatever it was, it ends at 95 %
    TForm1 form(services());
    form.Timer2Timer();

    EXPECT_FALSE(form.Timer2->isActive());
    EXPECT_EQ(items(form), QStringList({"CD Player", "Mono Out", "Microphone", "Line In"}));
    EXPECT_EQ(form.sounddevice->currentIndex(), 1);
    EXPECT_EQ(muxWrites().front(), (V{0, 0, 1, 0}));
    EXPECT_EQ(recordedLine(), 1);
    EXPECT_EQ(form.soundvolume->value(), 30);
    EXPECT_EQ(mixer.percent(1, 1), 30); // written back unchanged by its change handler
    EXPECT_EQ(form.svolume2->value(), 95);
    EXPECT_EQ(mixer.line(0, 0, 1).volume.value, 62258u);
    // A master at 70 % shows as 70 and is written back as 70 %.
    EXPECT_EQ(form.svolume3->value(), 70);
    EXPECT_EQ(mixer.writesTo(FakeMixerService::LineId(0, 0, -1), K::Volume), (std::vector<V>{{45875}}));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(AudioControls, MonoMatchingIsCaseSensitiveAndTheLastMatchWins)
{
    struct Case {
        std::vector<std::string> names;
        int selected;
    } cases[] = {
        {{"CD Player", "Line In", "Microphone"}, 1},             // no match: item 1
        {{"Mono Mix", "Line In", "Microphone"}, 1},              // only line 0 matches: still item 1
        {{"Mono Out", "CD", "Mono Mix", "Microphone"}, 2},       // two matches: the later one
        {{"mono out", "CD", "Microphone", "MONO"}, 1},           // other letter case: no match
        {{"CD", "Line", "Stereo Mono Mix"}, 2},                  // anywhere in the name
    };
    for (const Case& c : cases) {
        install(WithInputs(c.names));
        TForm1 form(services());
        form.Timer2Timer();
        EXPECT_EQ(form.sounddevice->currentIndex(), c.selected) << c.names[0];
        EXPECT_EQ(recordedLine(), c.selected) << c.names[0];
        EXPECT_EQ(form.soundvolume->value(), mixer.percent(1, c.selected)) << c.names[0];
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
    }
    {
        // One output, one input: line 1 exists on neither destination.
        auto fake = FakeMixerService::Typical(0, {"Wave"}, {{"Microphone", 60}});
        install(fake);
        TForm1 form(services());
        form.Timer2Timer();
        EXPECT_EQ(items(form), QStringList({"Microphone"}));
        EXPECT_EQ(form.svolume2->value(), 0);
        EXPECT_EQ(form.soundvolume->value(), 0);
        EXPECT_TRUE(mixer.writes.empty());
        form.svolume2->setValue(20);
        EXPECT_TRUE(mixer.writes.empty());
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
        EXPECT_EQ(form.svolume2->value(), 95);
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(AudioControls, UserChangesGoStraightToTheMixer)
{
    install(WithInputs({"CD Player", "Mono Out", "Microphone", "Line In"}));
    TForm1 form(services());
    form.Timer2Timer();
    mixer.writes.clear();

    // Choosing from the program raises nothing; the user's choice selects and shows the line.
    form.sounddevice->setCurrentIndex(2);
    EXPECT_TRUE(mixer.writes.empty());
    emit form.sounddevice->activated(2);
    EXPECT_EQ(recordedLine(), 2);
    EXPECT_EQ(form.soundvolume->value(), 40);

    form.soundvolume->setValue(55);
    EXPECT_EQ(mixer.percent(1, 2), 55);
    EXPECT_EQ(recordedLine(), 2);
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
