// SPDX-License-Identifier: GPL-3.0-or-later
// A narrated recording's timeline: when each click step and slide change comes, how long the
// recording runs, and where captions and chapters fall.
#include "core/narration_plan.h"

#include <gtest/gtest.h>

namespace {

// A narration that ends its pieces' sentences at the given moments (one sentence a moment,
// "-" for a piece with nothing to say).
SlideNarration Said(const std::vector<std::vector<long long>>& pieces, long long lengthMs = -1)
{
    std::vector<std::vector<std::string>> texts;
    std::vector<long long> ends;
    for (const auto& piece : pieces) {
        texts.emplace_back();
        for (const long long end : piece) {
            texts.back().push_back("Sentence ending at " + std::to_string(end) + ".");
            ends.push_back(end);
        }
    }
    SlideNarration narration = SpokenNarration(texts, ends);
    if (lengthMs >= 0)
        narration.lengthMs = lengthMs;
    return narration;
}

std::vector<long long> Moments(const PerformanceLog& log)
{
    std::vector<long long> moments;
    for (const PerformedAction& action : log.actions)
        moments.push_back(action.ms);
    return moments;
}

} // namespace

TEST(NarrationPlan, StepsAndSlideChangesComeWhereTheNarrationSaysSo)
{
    const NarrationTiming timing{800, 2000};
    struct Case {
        const char* what;
        std::vector<SlideNarration> narrations;
        std::vector<int> steps;
        std::vector<long long> actions;
        long long endMs;
        size_t warnings;
        std::vector<bool> hidden{};
    };
    const std::vector<Case> cases = {
        {"narration, then the gap, then the next slide", {Said({{1500, 3000}}), Said({{2000}})}, {0, 0},
         {3800}, 3800 + 2800, 0},
        {"each marker is the next click step", {Said({{1000}, {2500}, {4000}})}, {2}, {1000, 2500}, 4800, 0},
        {"a marker before anything is said clicks at once", {Said({{}, {1200}})}, {1}, {0}, 2000, 0},
        {"steps without markers spread evenly", {Said({{3000, 6000}})}, {2}, {2000, 4000}, 6800, 0},
        {"steps past the last marker share what follows it", {Said({{1000}, {4000}})}, {3}, {1000, 2000, 3000},
         4800, 0},
        {"markers past the steps are ignored, what follows stays on the slide", {Said({{1000}, {2000}, {3000}}), {}},
         {1, 0}, {1000, 3800}, 3800 + 2000, 1},
        {"a marker that only ends what is said is no surprise", {Said({{1000}, {2000}, {}})}, {1}, {1000}, 2800, 0},
        {"without narration each step waits the latency", {{}, Said({{1000}})}, {2, 0}, {2000, 4000, 6000}, 7800, 0},
        {"a take longer than its sentences keeps its length", {Said({{1000}}, 5000)}, {1}, {2500}, 5800, 0},
        {"a hidden slide takes no time and no click", {Said({{1000}}), Said({{500}}), Said({{700}})}, {0, 1, 0},
         {1800}, 3300, 0, {false, true, false}},
        {"a hidden first slide needs no click to leave it", {Said({{500}}), Said({{700}})}, {0, 0}, {}, 1500, 0,
         {true, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const NarrationPlan plan =
            PlanNarration(c.narrations, c.steps, std::vector<std::string>(c.steps.size()), timing, c.hidden);
        EXPECT_EQ(Moments(plan.log), c.actions);
        EXPECT_EQ(plan.log.endMs, c.endMs);
        EXPECT_EQ(plan.warnings.size(), c.warnings);
        for (const PerformedAction& action : plan.log.actions)
            EXPECT_EQ(action.step, SlideStep::Next);
    }
}

TEST(NarrationPlan, CaptionsFollowEachSentenceAndChaptersStartWithTheirNarration)
{
    const std::string longSentence = "This sentence is far too long to be shown on two lines of a caption at once, "
                                     "so it is shown in parts as it is said.";
    const SlideNarration first = SpokenNarration({{"Hello.", longSentence}, {"Now the chart."}}, {1000, 7000, 9000});
    const NarrationPlan plan = PlanNarration({first, {}, SpokenNarration({{"Danke."}}, {700})}, {1, 1, 0},
                                             {"Intro", "", "Ende"}, {500, 1500});

    ASSERT_GE(plan.captions.size(), 4u);
    EXPECT_EQ(plan.captions.front(), (TimedText{0, 1000, "Hello."}));
    // The long sentence is cut into cues that share its own time, and no cue crosses a slide.
    EXPECT_EQ(plan.captions[1].startMs, 1000);
    size_t k = 1;
    for (; plan.captions[k].endMs < 7000; ++k)
        EXPECT_EQ(plan.captions[k].endMs, plan.captions[k + 1].startMs);
    EXPECT_GT(k, 1u);
    EXPECT_EQ(plan.captions[k + 1], (TimedText{7000, 9000, "Now the chart."}));
    EXPECT_EQ(plan.captions.back(), (TimedText{9500 + 3000, 9500 + 3000 + 700, "Danke."}));

    const std::vector<TimedText> chapters = {
        {0, 9500, "Intro"}, {9500, 12500, "Slide 2"}, {12500, 12500 + 1200, "Ende"}};
    EXPECT_EQ(plan.chapters, chapters);
    EXPECT_EQ(plan.slideStartMs, (std::vector<long long>{0, 9500, 12500}));
}
