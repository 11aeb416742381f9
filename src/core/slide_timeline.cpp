// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/slide_timeline.h"

#include "core/frame_period.h"

#include <cstdio>

namespace {

// What sites ask of every entry of a chapter list.
constexpr long long kShortestSiteChapterMs = 10000;
constexpr size_t kFewestSiteChapters = 3;

std::string SiteTime(long long ms)
{
    const long long seconds = ms / 1000;
    const long long h = seconds / 3600;
    const long long m = seconds / 60 % 60;
    const long long s = seconds % 60;
    char text[32];
    if (h > 0)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", h, m, s);
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", m, s);
    return text;
}

long long Length(const TimedText& t)
{
    return t.endMs - t.startMs;
}

} // namespace

std::string SlideName(int slide, const std::string& title)
{
    return title.empty() ? "Slide " + std::to_string(slide) : title;
}

void AddSlideMark(std::vector<SlideMark>& marks, const SlideMark& mark)
{
    if (!marks.empty() && marks.back().slot >= mark.slot)
        marks.pop_back();
    if (!marks.empty() && marks.back().slide == mark.slide && marks.back().title == mark.title)
        return;
    marks.push_back(mark);
}

std::vector<SlideSpan> SlideSpans(const std::vector<SlideMark>& marks, int frameCount, double framePeriodMs)
{
    std::vector<SlideSpan> spans;
    const long long end = SlotsDurationMs(frameCount, framePeriodMs);
    for (const SlideMark& mark : marks) {
        if (mark.slot > frameCount)
            break;
        const long long start = spans.empty() ? 0 : SlotsDurationMs(mark.slot - 1, framePeriodMs);
        if (!spans.empty()) {
            if (start <= spans.back().span.startMs)
                spans.pop_back(); // a mark of the same slot: the later one was grabbed
            else
                spans.back().span.endMs = start;
        }
        spans.push_back({{spans.empty() ? 0 : start, end, SlideName(mark.slide, mark.title)}, mark.slide});
    }
    return spans;
}

std::vector<TimedText> SlideChapters(const std::vector<SlideMark>& marks, int frameCount, double framePeriodMs)
{
    std::vector<TimedText> chapters;
    for (const SlideSpan& s : SlideSpans(marks, frameCount, framePeriodMs))
        chapters.push_back(s.span);
    return chapters;
}

SiteChapterList SiteChapters(const std::vector<TimedText>& chapters)
{
    SiteChapterList list;
    std::vector<TimedText> kept;
    for (const TimedText& chapter : chapters) {
        if (!kept.empty() && Length(chapter) < kShortestSiteChapterMs) {
            kept.back().endMs = chapter.endMs;
            list.merged.push_back(chapter.text);
            continue;
        }
        kept.push_back(chapter);
    }
    while (kept.size() > 1 && Length(kept.front()) < kShortestSiteChapterMs) {
        kept.front().endMs = kept[1].endMs;
        list.merged.push_back(kept[1].text);
        kept.erase(kept.begin() + 1);
    }
    for (size_t k = 0; k < kept.size(); ++k)
        list.text += SiteTime(k == 0 ? 0 : kept[k].startMs) + " " + kept[k].text + "\n";
    list.enoughForSites = kept.size() >= kFewestSiteChapters;
    return list;
}
