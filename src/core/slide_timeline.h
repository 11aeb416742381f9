#pragma once
// What a recording knows of its deck besides the pictures: the slot at which each slide came
// on screen, with its number and title, and the timed texts made from them (chapters, the
// chapter list video sites read, captions).

#include <string>
#include <vector>

// A slide came on screen just before the grab of slot (1-based).
struct SlideMark {
    int slot = 1;
    int slide = 1;
    std::string title; // as the viewer shows it; empty for a slide without a title
    bool operator==(const SlideMark&) const = default;
};

// The slide the presentation viewer reported last: its number (0 before any) and title (empty
// for a slide without one).
struct ShownSlide {
    int number = 0;
    std::string title;
};

// A text for a span of the video, in ms from its start.
struct TimedText {
    long long startMs = 0;
    long long endMs = 0;
    std::string text;
    bool operator==(const TimedText&) const = default;
};

// The title a slide goes by: its own, else "Slide N".
std::string SlideName(int slide, const std::string& title);

// Notes a slide change at slot: a change at the slot of the last mark replaces it (only what
// was grabbed counts), one to the slide already shown is no change.
void AddSlideMark(std::vector<SlideMark>& marks, const SlideMark& mark);

// One span per mark of a recording of frameCount slots: from its slot's start to the next
// mark's (the last to the end of the recording), named by SlideName. The first starts at 0;
// marks after the last slot are dropped. slide[k] of the result is marks' slide number.
struct SlideSpan {
    TimedText span;
    int slide = 1;
};
std::vector<SlideSpan> SlideSpans(const std::vector<SlideMark>& marks, int frameCount, double framePeriodMs);
std::vector<TimedText> SlideChapters(const std::vector<SlideMark>& marks, int frameCount, double framePeriodMs);

// The chapter list a video site reads from a description: "0:00 Title" per line. Sites take
// one only with at least three entries of ten seconds or more each: a chapter shorter than
// that is merged into the one before it (the first takes in the one after it).
struct SiteChapterList {
    std::string text;
    std::vector<std::string> merged; // the titles merged away, for the terminal
    bool enoughForSites = true;      // at least three entries remain
};
SiteChapterList SiteChapters(const std::vector<TimedText>& chapters);
