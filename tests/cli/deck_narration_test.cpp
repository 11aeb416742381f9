// SPDX-License-Identifier: GPL-3.0-or-later
// convert --narrate's narration with the fake voice: who reads which slide, where the sound goes,
// and notes a voice cannot or should not read in one go.
#include "audio/mono_sound.h"
#include "cli/deck_narration.h"
#include "cli/terminal.h"
#include "fake_speech_engine.h"

#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

NarrationPlan Narrate(const std::string& flatDeck, const DeckText& text, FakeSpeechEngine& voice, MonoSound& track)
{
    QTemporaryDir dir;
    const WorkingFiles files(dir.path().toStdString(), dir.path().toStdString() + "/");
    CommandLine command;
    command.narrate = true;
    command.voice = "en-GB";
    command.latencyMs = 1000;
    Terminal terminal(true);
    NarrationPlan plan = NarrateDeck(command, flatDeck, text, files, &voice, terminal);
    track = ReadMonoWave(files.SoundFilePath());
    return plan;
}

long long SpokenMs(const FakeSpeechEngine& voice, const std::vector<std::string>& sentences, size_t count)
{
    size_t samples = 0;
    for (size_t k = 0; k < count; ++k)
        samples += voice.SamplesFor(sentences[k]);
    return static_cast<long long>(samples) * 1000 / voice.sampleRate;
}

} // namespace

TEST(DeckNarration, EachSlideIsReadInItsLanguageAndHeardWhereItStarts)
{
    const std::string deck = DECKREC_TEST_DECKS "/narrated.fodp";
    FakeSpeechEngine voice;
    MonoSound track;
    const NarrationPlan plan = Narrate(deck, ReadFlatDeckTextFile(deck), voice, track);

    // Slide 3 has no notes; the German slide gets a German voice, the others --voice.
    ASSERT_EQ(voice.calls.size(), 4u);
    EXPECT_EQ(voice.voices[0].language, "en-GB");
    EXPECT_EQ(voice.voices[2].language, "de");
    const std::vector<std::string> plan2 = {"Here is part one.", "Here is part two.", "Here is part six."};
    ASSERT_EQ(voice.calls[1], plan2);
    // Slide 2's builds come as its first and second sentences end.
    const long long start2 = plan.slideStartMs[1];
    EXPECT_EQ(plan.log.actions[1].ms, start2 + SpokenMs(voice, plan2, 1));
    EXPECT_EQ(plan.log.actions[2].ms, start2 + SpokenMs(voice, plan2, 2));
    EXPECT_EQ(plan.log.actions[3].ms, start2 + SpokenMs(voice, plan2, 3) + 800);

    // The track lasts the plan, silent where slide 3 is shown and loud where slide 2 starts.
    EXPECT_EQ(track.rate, voice.sampleRate);
    EXPECT_NEAR(track.Ms(), plan.log.endMs, 1);
    const auto at = [&](long long ms) { return track.samples[static_cast<size_t>(ms * track.rate / 1000 + 5)]; };
    EXPECT_NE(at(start2), 0);
    EXPECT_EQ(at(plan.slideStartMs[2] + 500), 0);
}

// Notes of 20,000 characters are read and shown in captions of two lines at most; notes of
// only emoji and markup say nothing, and their slide keeps the latency.
TEST(DeckNarration, LongNotesAreReadWholeAndSymbolsAreNotRead)
{
    std::string longNotes;
    while (longNotes.size() < 20000)
        longNotes += "This sentence is one of very many. ";
    const DeckText text{{"Long", "Symbols"}, {longNotes, "\xF0\x9F\x8E\x89 <b></b> \xE2\x80\xA2"}};
    FakeSpeechEngine voice;
    MonoSound track;
    const NarrationPlan plan = Narrate("/nonexistent.fodp", text, voice, track);
    ASSERT_EQ(voice.calls.size(), 1u);
    EXPECT_EQ(plan.log.endMs - plan.slideStartMs[1], 1000);
    EXPECT_GE(plan.captions.size(), voice.calls[0].size());
    for (const TimedText& cue : plan.captions)
        EXPECT_LE(std::count(cue.text.begin(), cue.text.end(), '\n'), 1);
    EXPECT_LE(plan.captions.back().endMs, plan.slideStartMs[1]);
}
