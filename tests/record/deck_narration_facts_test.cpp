// SPDX-License-Identifier: GPL-3.0-or-later
// What a narration reads of a deck besides its notes: each slide's click steps and the language
// its notes are marked in.
#include "record/deck_build_steps.h"
#include "record/deck_note_languages.h"

#include <gtest/gtest.h>

TEST(DeckNarrationFacts, TheNarratedDeckHasItsBuildsAndItsGermanSlide)
{
    const std::string deck = DECKREC_TEST_DECKS "/narrated.fodp";
    EXPECT_EQ(ReadFlatDeckBuildStepsFile(deck), (std::vector<int>{0, 2, 0, 0, 1}));
    EXPECT_EQ(ReadFlatDeckNoteLanguagesFile(deck), (std::vector<std::string>{"en", "en", "", "de", "en"}));
    EXPECT_TRUE(ReadFlatDeckBuildStepsFile("/nonexistent.fodp").empty());
}

// Effects that start with or after another, and a sequence a click on a shape starts, take no
// click; a span's language comes before its paragraph's, also through a parent style.
TEST(DeckNarrationFacts, OnlyTheMainSequencesClicksCountAndTheInnermostLanguageWins)
{
    const QByteArray fodp = R"(<office:document
  xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
  xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
  xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
  xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"
  xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
  xmlns:presentation="urn:oasis:names:tc:opendocument:xmlns:presentation:1.0"
  xmlns:anim="urn:oasis:names:tc:opendocument:xmlns:animation:1.0">
 <office:automatic-styles>
  <style:style style:name="fr" style:family="text"><style:text-properties fo:language="fr"/></style:style>
  <style:style style:name="P1" style:family="paragraph" style:parent-style-name="base"/>
  <style:style style:name="base" style:family="paragraph"><style:text-properties fo:language="it"/></style:style>
 </office:automatic-styles>
 <office:body><office:presentation>
  <draw:page>
   <anim:par presentation:node-type="timing-root">
    <anim:seq presentation:node-type="main-sequence">
     <anim:par><anim:par><anim:par presentation:node-type="after-previous"/></anim:par></anim:par>
     <anim:par><anim:par><anim:par presentation:node-type="on-click"/><anim:par presentation:node-type="with-previous"/></anim:par></anim:par>
    </anim:seq>
    <anim:seq presentation:node-type="interactive-sequence">
     <anim:par><anim:par presentation:node-type="on-click"/></anim:par>
    </anim:seq>
   </anim:par>
   <presentation:notes><draw:frame presentation:class="notes"><draw:text-box>
    <text:p text:style-name="P1">Ciao <text:span text:style-name="fr">et bonjour</text:span></text:p>
   </draw:text-box></draw:frame></presentation:notes>
  </draw:page>
  <draw:page>
   <presentation:notes><draw:frame presentation:class="notes"><draw:text-box>
    <text:p text:style-name="P1">Ciao</text:p>
   </draw:text-box></draw:frame></presentation:notes>
  </draw:page>
 </office:presentation></office:body>
</office:document>)";
    EXPECT_EQ(ReadFlatDeckBuildSteps(fodp), (std::vector<int>{1, 0}));
    EXPECT_EQ(ReadFlatDeckNoteLanguages(fodp), (std::vector<std::string>{"fr", "it"}));
}
