// SPDX-License-Identifier: GPL-3.0-or-later
// The mixer wrapper's rules against a mixer of the test's making.
#include "core/deckrec_error.h"
#include "audio/audio_mixer.h"
#include "fake_mixer_service.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

namespace {

using K = MixerControlKind;

FakeMixerService FourInputs()
{
    return FakeMixerService::Typical(70, {"Wave", "SW Synth"},
                                     {{"CD Player", 10}, {"Mono Out", 20}, {"Microphone", 30}, {"Line In", 40}});
}

} // namespace

TEST(AudioMixer, WithoutAnyDeviceEverythingReadsEmptyAndNothingThrowsButLines)
{
    FakeMixerService none;
    TAudioMixer mixer(nullptr, none);
    EXPECT_NE(mixer.OpenResult(), MixerResult::Ok);
    EXPECT_EQ(mixer.MixerCount(), 0u);
    EXPECT_EQ(mixer.DestinationCount(), 0);
    EXPECT_EQ(mixer.LineCount(), 0);
    EXPECT_EQ(mixer.MixerName(), "");
    EXPECT_THROW(mixer.Lines(0), DeckrecError);
    EXPECT_EQ(mixer.Master()->GetVolume(), -1);
    EXPECT_EQ(mixer.Master()->LastError(), MixerResult::InvalidControl);
    mixer.Master()->SetVolume(50);
    mixer.Master()->SelectSource(0);
    EXPECT_EQ(mixer.Master()->LastError(), MixerResult::InvalidControl);
    mixer.setDestinationID(1);
    EXPECT_EQ(mixer.DestinationID(), 0u);
    QStringList names;
    EXPECT_EQ(mixer.GetMixerNames(names), 0);
    EXPECT_EQ(mixer.GetDestinationNames(names), 0);
    EXPECT_TRUE(names.isEmpty());
}

TEST(AudioMixer, LoadsTheDestinationsLinesInSourceOrder)
{
    auto fake = FourInputs();
    TAudioMixer mixer(nullptr, fake);
    EXPECT_EQ(mixer.MixerName(), "Fake Mixer");
    EXPECT_EQ(mixer.DestinationCount(), 2);
    EXPECT_EQ(mixer.DestinationName(), "Volume Control");
    ASSERT_EQ(mixer.LineCount(), 2);
    EXPECT_EQ(mixer.Lines(1)->Name(), "SW Synth");
    EXPECT_EQ(mixer.Lines(1)->SourceIndex(), 1);
    EXPECT_EQ(mixer.Master()->SourceIndex(), -1);
    EXPECT_THROW(mixer.Lines(2), DeckrecError);
    EXPECT_THROW(mixer.Lines(-1), DeckrecError);

    mixer.setDestinationID(1);
    EXPECT_EQ(mixer.DestinationName(), "Recording Control");
    ASSERT_EQ(mixer.LineCount(), 4);
    EXPECT_EQ(mixer.Lines(0)->Name(), "CD Player");
    EXPECT_EQ(mixer.Lines(3)->Name(), "Line In");
    EXPECT_EQ(mixer.Lines(2)->GetVolume(), 30);
    QStringList names;
    EXPECT_EQ(mixer.GetDestinationNames(names), 2);
    EXPECT_EQ(names, QStringList({"Volume Control", "Recording Control"}));
}

TEST(AudioMixer, VolumesArePercentOfTheControlsMaximumRoundedAndClamped)
{
    auto fake = FourInputs();
    TAudioMixer mixer(nullptr, fake);
    TAudioMixerLine* line = mixer.Lines(0);
    const uint32_t id = line->LineInfo().lineId;

    line->SetVolume(95);
    EXPECT_EQ(fake.line(0, 0, 0).volume.value, 62258u);
    EXPECT_EQ(line->GetVolume(), 95);
    EXPECT_EQ(line->LastError(), MixerResult::Ok);
    line->SetVolume(150);
    EXPECT_EQ(fake.line(0, 0, 0).volume.value, 65535u);
    line->SetVolume(-5);
    EXPECT_EQ(fake.line(0, 0, 0).volume.value, 0u);
    EXPECT_EQ(fake.writesTo(id, K::Volume).size(), 3u);

    // The lower bound plays no part; halves round away from zero.
    fake.line(0, 0, 0).volume = {true, 200, 1, {}};
    mixer.setDestinationID(1);
    mixer.setDestinationID(0); // lines are snapshots: reload to see the new bounds
    EXPECT_EQ(mixer.Lines(0)->GetVolume(), 1); // 0.5 % rounds up
    mixer.Lines(0)->SetVolume(33);             // 66 of 200
    EXPECT_EQ(fake.line(0, 0, 0).volume.value, 66u);

    // A line without a volume control: -1 and 1025, nothing written.
    fake.line(0, 0, 1).volume.present = false;
    mixer.setDestinationID(1);
    mixer.setDestinationID(0);
    const size_t before = fake.writes.size();
    EXPECT_EQ(mixer.Lines(1)->GetVolume(), -1);
    EXPECT_EQ(mixer.Lines(1)->LastError(), MixerResult::InvalidControl);
    mixer.Lines(1)->SetVolume(40);
    EXPECT_EQ(mixer.Lines(1)->LastError(), MixerResult::InvalidControl);
    EXPECT_EQ(fake.writes.size(), before);
}

TEST(AudioMixer, MulDivRoundsHalvesAwayFromZero)
{
    EXPECT_EQ(MulDiv(1, 1, 2), 1);
    EXPECT_EQ(MulDiv(-1, 1, 2), -1);
    EXPECT_EQ(MulDiv(62258, 100, 65535), 95);
    EXPECT_EQ(MulDiv(65535, 95, 100), 62258);
    EXPECT_EQ(MulDiv(7, 1, -2), -4);
    EXPECT_EQ(MulDiv(5, 5, 0), -1);
}

TEST(AudioMixer, SelectSourceSetsTheMultiplexerItemsInReverseOrder)
{
    auto fake = FourInputs();
    TAudioMixer mixer(nullptr, fake);
    mixer.setDestinationID(1);
    TAudioMixerLine* master = mixer.Master();
    const uint32_t id = master->LineInfo().lineId;

    master->SelectSource(0);
    master->SelectSource(3);
    master->SelectSource(1);
    using V = std::vector<uint32_t>;
    EXPECT_EQ(fake.writesTo(id, K::Mux), (std::vector<V>{{0, 0, 0, 1}, {1, 0, 0, 0}, {0, 0, 1, 0}}));
    EXPECT_EQ(master->LastError(), MixerResult::Ok);

    master->SelectSource(4);
    EXPECT_EQ(master->LastError(), MixerResult::InvalidParam);
    master->SelectSource(-1);
    EXPECT_EQ(master->LastError(), MixerResult::InvalidParam);
    EXPECT_EQ(fake.writesTo(id, K::Mux).size(), 3u);

    // A source line has no multiplexer.
    mixer.Lines(0)->SelectSource(0);
    EXPECT_EQ(mixer.Lines(0)->LastError(), MixerResult::InvalidControl);
}

TEST(AudioMixer, NamesSelectDevicesAndDestinationsWithoutRegardToCase)
{
    auto fake = FourInputs();
    FakeMixer second = fake.mixers[0];
    second.name = "USB Headset";
    second.destinations.pop_back();
    fake.mixers.push_back(second);

    TAudioMixer mixer(nullptr, fake);
    EXPECT_EQ(fake.opens, 1);
    QStringList names;
    EXPECT_EQ(mixer.GetMixerNames(names), 2);
    EXPECT_EQ(names, QStringList({"Fake Mixer", "USB Headset"}));

    mixer.setMixerName("No Such Mixer");
    EXPECT_EQ(mixer.MixerID(), 0u);
    mixer.setMixerName("Fake Mixer");
    EXPECT_EQ(fake.opens, 1); // the current name does not reopen
    mixer.setMixerID(0);
    mixer.setMixerID(7); // not below the count: ignored
    EXPECT_EQ(fake.opens, 1);

    mixer.setDestinationID(1);
    EXPECT_EQ(fake.opens, 1); // a destination change keeps the device open
    mixer.setMixerName("usb headset");
    EXPECT_EQ(mixer.MixerID(), 1u);
    EXPECT_EQ(fake.opens, 2);
    // The new device has one destination: the destination falls back to 0.
    EXPECT_EQ(mixer.DestinationID(), 0u);
    EXPECT_EQ(mixer.DestinationCount(), 1);

    mixer.setMixerID(0);
    mixer.setDestinationName("RECORDING control");
    EXPECT_EQ(mixer.DestinationID(), 1u);
    mixer.setDestinationName("Nowhere");
    EXPECT_EQ(mixer.DestinationID(), 1u);
}

TEST(AudioMixer, ADestinationNotBelowTheCountBecomesZeroOnReload)
{
    auto fake = FourInputs();
    TAudioMixer mixer(nullptr, fake);
    mixer.setDestinationID(5);
    EXPECT_EQ(mixer.DestinationID(), 0u);
    EXPECT_EQ(mixer.DestinationName(), "Volume Control");
    EXPECT_EQ(mixer.LineCount(), 2);
}

TEST(AudioMixer, ChangeReportsBecomeEventsOnTheMatchingLine)
{
    auto fake = FourInputs();
    TAudioMixer mixer(nullptr, fake);
    mixer.setDestinationID(1);
    std::vector<std::pair<TAudioMixerLine*, int>> events; // kind -1 for a line change
    QObject::connect(&mixer, &TAudioMixer::OnLineChange, [&](TAudioMixer* sender, TAudioMixerLine* line) {
        EXPECT_EQ(sender, &mixer);
        events.push_back({line, -1});
    });
    QObject::connect(&mixer, &TAudioMixer::OnControlChange,
                     [&](TAudioMixer*, TAudioMixerLine* line, TMixerControlType kind) { events.push_back({line, kind}); });

    const uint32_t master = FakeMixerService::LineId(0, 1, -1);
    const uint32_t line2 = FakeMixerService::LineId(0, 1, 2);
    fake.report({MixerChange::Line, master});
    fake.report({MixerChange::Line, line2});
    fake.report({MixerChange::Line, 0xDEAD});
    fake.report({MixerChange::Control, FakeMixerService::ControlId(master, K::Mux)});
    fake.report({MixerChange::Control, FakeMixerService::ControlId(line2, K::Mute)});
    fake.report({MixerChange::Control, 0xBEEF});
    EXPECT_TRUE(events.empty()); // raised on the mixer's own thread, from its event queue
    QCoreApplication::processEvents();

    using E = std::pair<TAudioMixerLine*, int>;
    EXPECT_EQ(events, (std::vector<E>{{mixer.Master(), -1}, {mixer.Lines(2), -1},
                                      {mixer.Master(), mctMux}, {mixer.Lines(2), mctMute}}));

    // A freed mixer hears nothing more.
    auto* owned = new TAudioMixer(nullptr, fake);
    int late = 0;
    QObject::connect(owned, &TAudioMixer::OnLineChange, [&] { ++late; });
    fake.report({MixerChange::Line, FakeMixerService::LineId(0, 0, -1)});
    delete owned;
    QCoreApplication::processEvents();
    EXPECT_EQ(late, 0);
}
