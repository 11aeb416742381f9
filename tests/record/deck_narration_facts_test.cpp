// SPDX-License-Identifier: GPL-3.0-or-later
// What a narration reads of a deck besides its notes: each slide's click steps and the language
// its notes are marked in.
#include "record/deck_build_steps.h"
#include "record/deck_hidden_slides.h"
#include "record/deck_note_languages.h"

#include <gtest/gtest.h>

TEST(DeckNarrationFacts, TheNarratedDeckHasItsBuildsAndItsGermanSlide)
{
    const std::string deck = DECKREC_TEST_DECKS "/narrated.fodp";
    EXPECT_EQ(ReadFlatDeckBuildStepsFile(deck), (std::vector<int>{0, 2, 0, 0, 1}));
    EXPECT_EQ(ReadFlatDeckNoteLanguagesFile(deck), (std::vector<std::string>{"en", "en", "", "de", "en"}));
    EXPECT_EQ(ReadFlatDeckHiddenSlidesFile(deck), std::vector<bool>(5, false));
    EXPECT_TRUE(ReadFlatDeckBuildStepsFile("/nonexistent.fodp").empty());
}
