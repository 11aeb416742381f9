// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/narration_plan.h"

#include "core/captions.h"

#include <algorithm>
#include <cmath>

namespace {

// Where each "[click]" marker falls in a narration: the end of the piece before it (a piece
// with nothing to say ends where the one before it did).
std::vector<long long> MarkerMoments(const SlideNarration& narration)
{
    std::vector<long long> moments;
    long long end = 0;
    for (size_t piece = 0; piece + 1 < narration.pieces.size(); ++piece) {
        if (!narration.pieces[piece].empty())
            end = narration.pieces[piece].back().endMs;
        moments.push_back(std::min(end, narration.lengthMs));
    }
    return moments;
}

// Whether anything is said after the first `from` markers: markers beyond the slide's steps
// with nothing after them only mark the end of what is said, where the slide moves on anyway.
bool SaysMoreAfter(const SlideNarration& narration, size_t from)
{
    for (size_t piece = from + 1; piece < narration.pieces.size(); ++piece)
        if (!narration.pieces[piece].empty())
            return true;
    return false;
}

// The moments of a narrated slide's click steps, from its start.
std::vector<long long> NarratedSteps(const SlideNarration& narration, int steps, int slide,
                                     std::vector<std::string>& warnings)
{
    std::vector<long long> moments = MarkerMoments(narration);
    const size_t wanted = static_cast<size_t>(std::max(0, steps));
    if (moments.size() > wanted) {
        if (SaysMoreAfter(narration, wanted))
            warnings.push_back("slide " + std::to_string(slide) + ": its notes say [click] " +
                               std::to_string(moments.size()) + " times but the slide has " + std::to_string(wanted) +
                               " click step" + (wanted == 1 ? "" : "s") + "; the last " +
                               std::to_string(moments.size() - wanted) +
                               " are ignored and what follows them is still said on this slide");
        moments.resize(wanted);
    }
    // The steps without a marker of their own share what is said after the last marker.
    const long long from = moments.empty() ? 0 : moments.back();
    const size_t rest = wanted - moments.size();
    for (size_t k = 1; k <= rest; ++k)
        moments.push_back(from + std::llround(static_cast<double>(narration.lengthMs - from) * static_cast<double>(k) /
                                              static_cast<double>(rest + 1)));
    return moments;
}

void AddCaptions(const SlideNarration& narration, long long startMs, std::vector<TimedText>& captions)
{
    long long from = 0;
    for (const auto& piece : narration.pieces) {
        for (const TimedSentence& sentence : piece) {
            const long long end = std::min(sentence.endMs, narration.lengthMs);
            if (end > from) {
                const std::vector<TimedText> cues = NoteCues(sentence.text, startMs + from, startMs + end);
                captions.insert(captions.end(), cues.begin(), cues.end());
            }
            from = std::max(from, end);
        }
    }
}

size_t CodePoints(const std::string& text)
{
    return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

} // namespace

NarrationPlan PlanNarration(const std::vector<SlideNarration>& narrations, const std::vector<int>& buildSteps,
                            const std::vector<std::string>& titles, const NarrationTiming& timing,
                            const std::vector<bool>& hidden)
{
    const auto isHidden = [&hidden](size_t k) { return k < hidden.size() && hidden[k]; };
    NarrationPlan plan;
    long long start = 0;
    bool shownBefore = false;
    for (size_t k = 0; k < titles.size(); ++k) {
        const int slide = static_cast<int>(k) + 1;
        const int steps = k < buildSteps.size() ? std::max(0, buildSteps[k]) : 0;
        const SlideNarration none{};
        const SlideNarration& narration = k < narrations.size() ? narrations[k] : none;
        plan.slideStartMs.push_back(start);
        if (isHidden(k))
            continue;
        if (shownBefore)
            plan.log.actions.push_back({start, SlideStep::Next});
        shownBefore = true;

        std::vector<long long> moments;
        long long length = 0;
        if (narration.Narrated()) {
            moments = NarratedSteps(narration, steps, slide, plan.warnings);
            length = narration.lengthMs + timing.gapMs;
            AddCaptions(narration, start, plan.captions);
        } else {
            for (int step = 1; step <= steps; ++step)
                moments.push_back(timing.latencyMs * step);
            length = timing.latencyMs * (steps + 1);
        }
        for (const long long moment : moments)
            plan.log.actions.push_back({start + moment, SlideStep::Next});
        start += length;
    }
    plan.log.endMs = start;
    for (size_t k = 0; k < plan.slideStartMs.size(); ++k) {
        if (isHidden(k))
            continue;
        const long long end = k + 1 < plan.slideStartMs.size() ? plan.slideStartMs[k + 1] : plan.log.endMs;
        plan.chapters.push_back({plan.slideStartMs[k], end, SlideName(static_cast<int>(k) + 1, titles[k])});
    }
    return plan;
}

SlideNarration SpokenNarration(const std::vector<std::vector<std::string>>& pieces,
                               const std::vector<long long>& sentenceEndsMs)
{
    SlideNarration narration;
    size_t next = 0;
    for (const auto& piece : pieces) {
        narration.pieces.emplace_back();
        for (const std::string& sentence : piece) {
            const long long end = next < sentenceEndsMs.size() ? sentenceEndsMs[next] : narration.lengthMs;
            ++next;
            narration.lengthMs = std::max(narration.lengthMs, end);
            narration.pieces.back().push_back({sentence, narration.lengthMs});
        }
    }
    return narration;
}

SlideNarration TakeNarration(const std::vector<std::vector<std::string>>& pieces, long long takeMs)
{
    size_t total = 0;
    for (const auto& piece : pieces)
        for (const std::string& sentence : piece)
            total += CodePoints(sentence);
    SlideNarration narration;
    narration.lengthMs = std::max(0LL, takeMs);
    size_t said = 0;
    for (const auto& piece : pieces) {
        narration.pieces.emplace_back();
        for (const std::string& sentence : piece) {
            said += CodePoints(sentence);
            const double share = total > 0 ? static_cast<double>(said) / static_cast<double>(total) : 1.0;
            narration.pieces.back().push_back({sentence, std::llround(share * static_cast<double>(narration.lengthMs))});
        }
    }
    return narration;
}
