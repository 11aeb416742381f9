// SPDX-License-Identifier: GPL-3.0-or-later
// Notes as a voice reads them: what is spoken, where sentences end, and where [click] cuts.
#include "core/speech_text.h"

#include <gtest/gtest.h>

namespace {

using Sentences = std::vector<std::string>;

Sentences OnePiece(const std::string& notes)
{
    const std::vector<SpokenPiece> pieces = SpeechPieces(notes);
    EXPECT_EQ(pieces.size(), 1u);
    return pieces.empty() ? Sentences{} : pieces[0].sentences;
}

} // namespace

TEST(SpeechText, NotesBecomeTheSentencesAVoiceShouldRead)
{
    struct Case {
        const char* notes;
        Sentences spoken;
    };
    const Case cases[] = {
        {"", {}},
        {"Hello world. This is it!  Really?", {"Hello world.", "This is it!", "Really?"}},
        // Full stops that end no sentence.
        {"Use a tool, e.g. a hammer. Dr. Smith measured 3.5 kg vs. 2.75 kg. Next.",
         {"Use a tool, e.g. a hammer.", "Dr. Smith measured 3.5 kg vs. 2.75 kg.", "Next."}},
        {"See example.com for more... then go on.", {"See example.com for more... then go on."}},
        {"The answer is no. We chose option B. Then we stop.",
         {"The answer is no.", "We chose option B.", "Then we stop."}},
        // Bullets of every kind go; each item is a sentence of its own; numbers stay.
        {"• First point\n◦ second point\n▪ Third\n– Fourth\n* Fifth\n- Sixth",
         {"First point", "second point", "Third", "Fourth", "Fifth", "Sixth"}},
        {"1. Collect the data\n2) Clean it\n10. Publish", {"1. Collect the data", "2. Clean it", "10. Publish"}},
        {"Agenda • Results • Outlook", {"Agenda", "Results", "Outlook"}},
        // A wrapped line joins its paragraph; a heading-like line stays apart.
        {"Introduction\nToday we look at the data and\nwhat it tells us.",
         {"Introduction", "Today we look at the data and what it tells us."}},
        // Markup: tags, entities, emphasis, links, headings, code marks.
        {"<p>Say <b>this</b> &amp; <i>that</i></p><p>Then stop</p>", {"Say this & that", "Then stop"}},
        {"This is **very** _important_ and `code`. See [the paper](https://x.org/a.pdf).",
         {"This is very important and code.", "See the paper."}},
        {"## Summary\n> quoted words", {"Summary", "quoted words"}},
        {"a < b and -5 degrees", {"a b and -5 degrees"}},
        // Emoji, arrows and other symbols are not read out.
        {"Great result 🎉👍🏽! Growth → profit ✅", {"Great result!", "Growth profit"}},
        {"Flags 🇩🇪 and families 👨‍👩‍👧 too.", {"Flags and families too."}},
        // Other scripts are words too.
        {"Größe ändern. Ça va? 日本語のテキスト。", {"Größe ändern.", "Ça va?", "日本語のテキスト。"}},
        // Only markup or symbols: nothing to say.
        {"<p><br/></p> ** • 🎉 → ✅ ---", {}},
        // Bytes that are not UTF-8 are dropped, not spoken.
        {"Bad \xff\xfe bytes.", {"Bad bytes."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.notes);
        EXPECT_EQ(OnePiece(c.notes), c.spoken);
    }
}

TEST(SpeechText, ClickMarkersCutTheNotesIntoPieces)
{
    const std::vector<SpokenPiece> pieces = SpeechPieces("Intro. [click] First half [CLICK]second half.\n[click]");
    ASSERT_EQ(pieces.size(), 4u);
    EXPECT_EQ(pieces[0].sentences, Sentences{"Intro."});
    EXPECT_EQ(pieces[1].sentences, Sentences{"First half"});
    EXPECT_EQ(pieces[2].sentences, Sentences{"second half."});
    EXPECT_TRUE(pieces[3].sentences.empty());
    EXPECT_EQ(SpeechPieces("[click][click]").size(), 3u);
}

TEST(SpeechText, VeryLongNotesGiveBoundedSentencesAndLoseNoWord)
{
    std::string notes;
    size_t words = 0;
    while (notes.size() < 20000) {
        notes += "word" + std::to_string(words) + (words % 7 == 6 ? ", " : " ");
        ++words;
    }
    const Sentences spoken = OnePiece(notes);
    ASSERT_GT(spoken.size(), 60u);
    size_t seen = 0;
    for (const std::string& sentence : spoken) {
        EXPECT_LE(sentence.size(), 300u);
        for (size_t at = sentence.find("word"); at != std::string::npos; at = sentence.find("word", at + 1)) {
            ++seen;
        }
    }
    EXPECT_EQ(seen, words);
    // The last word is whole.
    EXPECT_NE(spoken.back().find("word" + std::to_string(words - 1)), std::string::npos);

    // Stray brackets without their ends, 20,000 characters of them.
    std::string brackets;
    while (brackets.size() < 20000)
        brackets += "<a ](x ";
    EXPECT_FALSE(OnePiece(brackets).empty());
}
