// SPDX-License-Identifier: GPL-3.0-or-later
// A narration read with the fake voice on the narrated test deck, whose notes are
// made harder: who reads which slide, and notes a voice cannot or should not read in one go.
#include "audio/sound_clip.h"
#include "record/deck_narration.h"
#include "fake_speech_engine.h"

#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>

// Notes of 20,000 characters are read whole and shown in captions of two lines at most; notes
// of only emoji and markup say nothing, so their slide keeps the latency; the German slide is
// read by a voice of its own language, the others by the deck's main voice.
TEST(DeckNarration, EachSlideIsReadInItsLanguageLongNotesWholeAndSymbolsNotAtAll)
{
    const std::string deck = DECKREC_TEST_DECKS "/narrated.fodp";
    DeckText text = ReadFlatDeckTextFile(deck);
    ASSERT_EQ(text.notes.size(), 5u);
    while (text.notes[0].size() < 20000)
        text.notes[0] += "This sentence is one of very many. ";
    text.notes[2] = "\xF0\x9F\x8E\x89 <b></b> \xE2\x80\xA2";

    QTemporaryDir dir;
    const WorkingFiles files(dir.path().toStdString(), dir.path().toStdString() + "/");
    NarrationSettings settings;
    settings.narrate = true;
    settings.latencyMs = 1000;
    FakeSpeechEngine voice;
    // The voice's name says whether the deck's main voice was asked for.
    const NarrationReaders readers = [&voice](const std::string& language, bool main) {
        return NarrationReader{&voice, {language, main ? "main" : "own"}};
    };
    const NarrationPlan plan = NarrateDeck(settings, deck, text, files, readers, {});

    ASSERT_EQ(voice.calls.size(), 4u);
    EXPECT_EQ(voice.voices[0].language + voice.voices[0].name, "enmain");
    EXPECT_EQ(voice.voices[2].language + voice.voices[2].name, "deown");
    EXPECT_EQ(plan.slideStartMs[3] - plan.slideStartMs[2], 1000);
    for (const TimedText& cue : plan.captions)
        EXPECT_LE(std::count(cue.text.begin(), cue.text.end(), '\n'), 1);
    EXPECT_GE(plan.captions.size(), voice.calls[0].size());
    EXPECT_LE(plan.captions[voice.calls[0].size() - 1].endMs, plan.slideStartMs[1]);

    // The track lasts the plan, silent where slide 3 is shown, heard where slide 2 starts.
    const SoundClip track = ReadWaveClip(files.SoundFilePath());
    EXPECT_NEAR(track.Ms(), plan.log.endMs, 1);
    const auto at = [&](long long ms) { return track.samples[static_cast<size_t>(ms * track.rate / 1000 + 5)]; };
    EXPECT_NE(at(plan.slideStartMs[1]), 0);
    EXPECT_EQ(at(plan.slideStartMs[2] + 500), 0);
}
