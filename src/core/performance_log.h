// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a show did when it was played live with sound: the slide actions it received, where the
// pointer stood over the slide, and the moment the show ended, all in ms from the start of the
// sound. The pictures are rendered afterwards on the show's own clock by playing the same
// actions at the same moments, so that they keep time with the sound that was heard.

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

// The slide actions a show takes from a click or a key. A click (and the keys that act as one)
// moves it on by one step: the next build step, or the next slide when the slide has none left.
enum class SlideStep { Next, Previous, NextSlide, PreviousSlide, First, Last };

// The action's name in a log ("next", "previous", "next-slide", "previous-slide", "first", "last").
const char* SlideStepName(SlideStep step);
// The action named name; nothing for a name no log holds.
std::optional<SlideStep> SlideStepNamed(const std::string& name);

struct PerformedAction {
    long long ms = 0;
    SlideStep step = SlideStep::Next;
};

// The pointer's shapes over a show: the page sets one of these.
enum class PointerShape { Arrow, Hand, Text };
const char* PointerShapeName(PointerShape shape);
std::optional<PointerShape> PointerShapeNamed(const std::string& name);

// Where the pointer stood over the slide: x and y are fractions of the slide's width and height
// from its top-left corner, so that a rendering at another size puts it on the same spot.
struct PointerSample {
    long long ms = 0;
    double x = 0;
    double y = 0;
    PointerShape shape = PointerShape::Arrow;
    // False for the moment the pointer left the slide: it is drawn no more until the next sample.
    bool over = true;
};

struct PerformanceLog {
    std::vector<PerformedAction> actions; // in the order dispatched, ms never decreasing
    std::vector<PointerSample> pointer;   // in time order, only when it moved, changed shape or left
    long long endMs = -1;                 // -1 while the show still runs

    bool ended() const { return endMs >= 0; }
    bool empty() const { return actions.empty() && pointer.empty() && !ended(); }
};

// The slots a rendering of log takes: enough to cover its end (the sound's length), within a
// session's slot limit.
inline int SlotsToRender(const PerformanceLog& log, double framePeriodMs, int slotLimit)
{
    const auto count = static_cast<long long>(std::ceil(static_cast<double>(log.endMs) / framePeriodMs - 1e-9));
    return static_cast<int>(std::clamp(count, 1LL, static_cast<long long>(slotLimit - 1)));
}

// Where the pointer stands at ms: between two samples on the slide it moves in a straight line
// (with the earlier sample's shape); nothing before the first sample, after it left the slide,
// or where a sample lies off the slide.
std::optional<PointerSample> PointerAt(const std::vector<PointerSample>& samples, long long ms);

// A performance read back from a kept recording, made fit to render against its sound of
// soundMs (-1: no sound to go by). Each change it makes adds one line to warnings:
// - a time before the sound began is moved to its start: the action happened before anything
//   was heard, and played first it keeps every later slide where it was;
// - entries out of time order are put in order, stably (two at one moment keep their order);
// - entries after the sound's end are dropped: nobody heard them;
// - the log ends with the sound, as the pictures last as long as the sound that was kept; without
//   sound, a log that never ended (the run was killed) ends at its last entry.
void TidyPerformanceLog(PerformanceLog& log, long long soundMs, std::vector<std::string>& warnings);
