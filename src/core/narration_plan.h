// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A narrated recording's timeline. Each slide stays on screen while its narration is heard and
// a short gap after it; its click steps come where the speaker notes say "[click]", the ones
// without a marker spread evenly over what is said after the last marker; a slide without
// narration gives each step the latency, as Auto Record does. From that come the slide actions
// to render, where each slide's narration goes on the sound track, the captions (one cue per
// sentence, as it is spoken, never across a slide) and the chapters (each from where its
// slide's narration starts).

#include "core/performance_log.h"
#include "core/slide_timeline.h"

#include <string>
#include <vector>

constexpr long long kDefaultNarrationGapMs = 800;

struct TimedSentence {
    std::string text;
    long long endMs = 0; // from the start of the slide's narration, pauses after it included
};

// What is said on one slide: the pieces between its "[click]" markers (N markers, N + 1
// pieces), each with its sentences in order, and how long the narration lasts (a recorded take
// may go on past its last sentence). lengthMs 0: the slide has no narration.
struct SlideNarration {
    std::vector<std::vector<TimedSentence>> pieces;
    long long lengthMs = 0;
    bool Narrated() const { return lengthMs > 0; }
};

struct NarrationTiming {
    long long gapMs = kDefaultNarrationGapMs; // after each slide's narration
    long long latencyMs = 5000;               // each step of a slide without narration
};

struct NarrationPlan {
    // A "next" at each click step's moment and at each slide change; the end after the last
    // slide's time.
    PerformanceLog log;
    // Slide n's at [n - 1]: where it comes on screen, which is where its narration starts on the
    // sound track and where its chapter starts.
    std::vector<long long> slideStartMs;
    std::vector<TimedText> captions;
    std::vector<TimedText> chapters;
    // One line a slide whose notes say "[click]" more often than it has click steps: the extra
    // markers are no clicks, its narration stays on its slide.
    std::vector<std::string> warnings;
};

// narrations[n - 1], buildSteps[n - 1], titles[n - 1] and hidden[n - 1] belong to slide n; the
// deck has as many slides as titles (a missing narration is none, a missing step count 0, a
// missing hidden flag false). A hidden slide, which the show leaves out, takes no time, no
// action and no chapter; its start is where the next slide starts.
NarrationPlan PlanNarration(const std::vector<SlideNarration>& narrations, const std::vector<int>& buildSteps,
                            const std::vector<std::string>& titles, const NarrationTiming& timing,
                            const std::vector<bool>& hidden = {});

// A slide's narration as an engine spoke it: pieces of sentences in the order spoken, and the
// moment (ms from the start) each sentence ends, in the same order.
SlideNarration SpokenNarration(const std::vector<std::vector<std::string>>& pieces,
                               const std::vector<long long>& sentenceEndsMs);

// A recorded take of takeMs: where its sentences end is not known, so each is given its share
// of the take by its length in characters, as captions spread a slide's notes.
SlideNarration TakeNarration(const std::vector<std::vector<std::string>>& pieces, long long takeMs);
