// The slide timeline's timed texts: spans and chapters from slide marks, the chapter list for
// video sites, and captions from the notes as cues and as WebVTT and SubRip text.
#include "core/captions.h"
#include "core/slide_timeline.h"

#include <gtest/gtest.h>

namespace {

size_t Characters(const std::string& s)
{
    size_t n = 0;
    for (const unsigned char c : s)
        n += (c & 0xC0) != 0x80;
    return n;
}

std::vector<std::string> LinesOf(const std::string& text)
{
    std::vector<std::string> lines(1);
    for (const char c : text) {
        if (c == '\n')
            lines.emplace_back();
        else
            lines.back() += c;
    }
    return lines;
}

} // namespace

TEST(SlideTimeline, MarksBecomeSpansFromTheirSlotsToTheNextOneTheFirstFromZero)
{
    struct Case {
        const char* what;
        std::vector<SlideMark> marks;
        int frameCount;
        std::vector<TimedText> chapters;
    } cases[] = {
        {"slots at 150 ms", {{1, 1, "A"}, {14, 2, ""}, {30, 3, "C"}}, 40,
         {{0, 1950, "A"}, {1950, 4350, "Slide 2"}, {4350, 6000, "C"}}},
        {"a first mark after slot 1 still starts at 0", {{3, 1, "A"}, {5, 2, "B"}}, 10, {{0, 600, "A"}, {600, 1500, "B"}}},
        {"a change after the last slot is dropped", {{1, 1, "A"}, {11, 2, "B"}}, 10, {{0, 1500, "A"}}},
        {"no marks, no chapters", {}, 10, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SlideChapters(c.marks, c.frameCount, 150), c.chapters) << c.what;

    // A change noted twice for one slot keeps the later; one to the slide shown is no change.
    std::vector<SlideMark> marks;
    for (const SlideMark& m : {SlideMark{1, 1, "A"}, SlideMark{4, 2, "B"}, SlideMark{4, 3, "C"}, SlideMark{6, 3, "C"}})
        AddSlideMark(marks, m);
    EXPECT_EQ(marks, (std::vector<SlideMark>{{1, 1, "A"}, {4, 3, "C"}}));
}

TEST(SlideTimeline, TheSiteChapterListMergesChaptersShorterThanTenSeconds)
{
    struct Case {
        const char* what;
        std::vector<TimedText> chapters;
        std::string text;
        std::vector<std::string> merged;
        bool enough;
    } cases[] = {
        {"all long enough", {{0, 12000, "A"}, {12000, 75000, "B"}, {75000, 3700000, "C"}},
         "0:00 A\n0:12 B\n1:15 C\n", {}, true},
        {"a short one joins the one before",
         {{0, 12000, "A"}, {12000, 15000, "B"}, {15000, 30000, "C"}, {30000, 45000, "D"}},
         "0:00 A\n0:15 C\n0:30 D\n", {"B"}, true},
        {"a short first takes in the next", {{0, 4000, "A"}, {4000, 12000, "B"}, {12000, 30000, "C"}},
         "0:00 A\n0:12 C\n", {"B"}, false},
        {"hours", {{0, 3600000, "A"}, {3600000, 3725000, "B"}, {3725000, 3800000, "C"}},
         "0:00 A\n1:00:00 B\n1:02:05 C\n", {}, true},
    };
    for (const Case& c : cases) {
        const SiteChapterList list = SiteChapters(c.chapters);
        EXPECT_EQ(list.text, c.text) << c.what;
        EXPECT_EQ(list.merged, c.merged) << c.what;
        EXPECT_EQ(list.enoughForSites, c.enough) << c.what;
    }
}

TEST(Captions, NotesSpreadOverTheSlideInCuesOfTwoLinesOfFortyTwoCharacters)
{
    const std::string long_word(50, 'x');
    std::string speech;
    for (int k = 0; k < 1000; ++k)
        speech += "word ";
    struct Case {
        const char* what;
        std::string notes;
        size_t cues;
        bool shortened = false;
    } cases[] = {
        {"empty", "", 0},
        {"white space", " \n\t ", 0},
        {"one short line", "Hello", 1},
        {"non-ASCII counts characters", "Grüße aus Köln: ünïcödé wörds fïll thïs lïne ëxäctly wïth äccënts hëre", 1},
        {"many words", "one two three four five six seven eight nine ten eleven twelve thirteen fourteen fifteen "
                       "sixteen seventeen eighteen nineteen twenty twenty-one twenty-two twenty-three", 3},
        {"a word longer than a line is cut", long_word + " end", 1},
        {"notes too long for the slide keep cues of a second", speech, 8, true},
    };
    for (const Case& c : cases) {
        bool shortened = false;
        const std::vector<TimedText> cues = NoteCues(c.notes, 1000, 9000, &shortened);
        ASSERT_EQ(cues.size(), c.cues) << c.what;
        EXPECT_EQ(shortened, c.shortened) << c.what;
        if (c.shortened) {
            EXPECT_EQ(cues.back().text.substr(cues.back().text.size() - 3), "\xE2\x80\xA6") << c.what;
        }
        long long at = 1000;
        size_t characters = 0;
        for (const TimedText& cue : cues) {
            EXPECT_EQ(cue.startMs, at) << c.what << ": cues follow each other";
            at = cue.endMs;
            const std::vector<std::string> lines = LinesOf(cue.text);
            EXPECT_LE(lines.size(), 2u) << c.what;
            for (const std::string& line : lines) {
                EXPECT_LE(Characters(line), 42u) << c.what << ": " << line;
                EXPECT_FALSE(line.empty()) << c.what;
            }
            characters += Characters(cue.text);
        }
        if (!cues.empty()) {
            EXPECT_EQ(at, 9000) << c.what << ": the last cue ends with the slide";
        }
        // Each cue's time is its share of the text, to the ms.
        for (const TimedText& cue : cues)
            EXPECT_NEAR(static_cast<double>(cue.endMs - cue.startMs), 8000.0 * Characters(cue.text) / characters, 1.0)
                << c.what;
    }
}

TEST(Captions, ARecordingsCuesStayInsideTheirSlidesAndMarkupStaysText)
{
    const std::vector<SlideSpan> spans = {{{0, 2000, "A"}, 1}, {{2000, 2100, "B"}, 2}, {{2100, 5000, "C"}, 3},
                                          {{5000, 6000, "A"}, 1}};
    const std::vector<std::string> notes = {"first notes that are long enough to need more than a single cue of "
                                            "captions on the screen, really",
                                            "", "Type <b>bold</b> & keep --> arrows {\\b1}"};
    const std::vector<TimedText> cues = RecordingCues(spans, notes);
    for (const TimedText& cue : cues) {
        bool inside = false;
        for (const SlideSpan& s : spans)
            inside = inside || (cue.startMs >= s.span.startMs && cue.endMs <= s.span.endMs);
        EXPECT_TRUE(inside) << cue.text;
    }
    EXPECT_EQ(cues.back().endMs, 6000) << "a slide shown again speaks its notes again";

    const std::vector<TimedText> markup = {{2100, 5000, notes[2]}};
    EXPECT_EQ(WebVttText(markup), "WEBVTT\n\n00:00:02.100 --> 00:00:05.000\n"
                                  "Type &lt;b&gt;bold&lt;/b&gt; &amp; keep --&gt; arrows {\\b1}\n\n");
    const std::string zw = "\xE2\x80\x8B";
    EXPECT_EQ(SubRipText(markup), "1\n00:00:02,100 --> 00:00:05,000\nType <" + zw + "b>bold<" + zw + "/b> & keep --" +
                                      zw + "> arrows {" + zw + "\\b1}\n\n");
}
