// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/performance_log.h"

#include <array>
#include <iterator>
#include <utility>

namespace {

constexpr std::array<std::pair<SlideStep, const char*>, 6> kStepNames{{
    {SlideStep::Next, "next"},
    {SlideStep::Previous, "previous"},
    {SlideStep::NextSlide, "next-slide"},
    {SlideStep::PreviousSlide, "previous-slide"},
    {SlideStep::First, "first"},
    {SlideStep::Last, "last"},
}};

constexpr std::array<std::pair<PointerShape, const char*>, 3> kShapeNames{{
    {PointerShape::Arrow, "arrow"},
    {PointerShape::Hand, "hand"},
    {PointerShape::Text, "text"},
}};

template <typename Value, size_t N>
const char* NameOf(const std::array<std::pair<Value, const char*>, N>& names, Value value)
{
    for (const auto& [known, name] : names)
        if (known == value)
            return name;
    return names.front().second;
}

template <typename Value, size_t N>
std::optional<Value> Named(const std::array<std::pair<Value, const char*>, N>& names, const std::string& wanted)
{
    for (const auto& [value, name] : names)
        if (wanted == name)
            return value;
    return std::nullopt;
}

bool OnSlide(const PointerSample& sample)
{
    return sample.over && sample.x >= 0 && sample.x <= 1 && sample.y >= 0 && sample.y <= 1;
}

} // namespace

const char* SlideStepName(SlideStep step) { return NameOf(kStepNames, step); }
std::optional<SlideStep> SlideStepNamed(const std::string& name) { return Named(kStepNames, name); }
const char* PointerShapeName(PointerShape shape) { return NameOf(kShapeNames, shape); }
std::optional<PointerShape> PointerShapeNamed(const std::string& name) { return Named(kShapeNames, name); }

std::optional<PointerSample> PointerAt(const std::vector<PointerSample>& samples, long long ms)
{
    const auto after = std::upper_bound(samples.begin(), samples.end(), ms,
                                        [](long long at, const PointerSample& sample) { return at < sample.ms; });
    if (after == samples.begin())
        return std::nullopt;
    PointerSample here = *std::prev(after);
    if (!OnSlide(here))
        return std::nullopt;
    if (after != samples.end() && OnSlide(*after) && after->ms > here.ms) {
        const double f = static_cast<double>(ms - here.ms) / static_cast<double>(after->ms - here.ms);
        here.x += (after->x - here.x) * f;
        here.y += (after->y - here.y) * f;
    }
    here.ms = ms;
    return here;
}

namespace {

std::string Count(size_t n, const char* what)
{
    return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

// Moves each time before the sound's start to it, naming the first one moved.
template <typename Entry>
void StartAtTheSound(std::vector<Entry>& entries, const char* what, std::vector<std::string>& warnings)
{
    size_t moved = 0;
    std::string first;
    for (size_t k = 0; k < entries.size(); ++k) {
        if (entries[k].ms >= 0)
            continue;
        if (moved++ == 0)
            first = std::string(what) + " " + std::to_string(k + 1) + " at " + std::to_string(entries[k].ms) + " ms";
        entries[k].ms = 0;
    }
    if (moved > 0)
        warnings.push_back(Count(moved, what) + " before the sound began (the first: " + first +
                           "): played at its start");
}

template <typename Entry>
void PutInTimeOrder(std::vector<Entry>& entries, const char* what, std::vector<std::string>& warnings)
{
    const auto earlier = [](const Entry& a, const Entry& b) { return a.ms < b.ms; };
    const auto late = std::is_sorted_until(entries.begin(), entries.end(), earlier);
    if (late == entries.end())
        return;
    warnings.push_back(std::string("the performance's ") + what + "s are out of time order (" + what + " " +
                       std::to_string(late - entries.begin() + 1) + " at " + std::to_string(late->ms) +
                       " ms comes after one at " + std::to_string(std::prev(late)->ms) + " ms): played in time order");
    std::stable_sort(entries.begin(), entries.end(), earlier);
}

// Drops what comes after the sound's end; the entries are in time order.
template <typename Entry>
void EndWithTheSound(std::vector<Entry>& entries, long long soundMs, const char* what, std::vector<std::string>& warnings)
{
    const auto after = std::upper_bound(entries.begin(), entries.end(), soundMs,
                                        [](long long end, const Entry& entry) { return end < entry.ms; });
    if (after == entries.end())
        return;
    warnings.push_back(Count(static_cast<size_t>(entries.end() - after), what) + " after the end of the sound at " +
                       std::to_string(soundMs) + " ms (the first at " + std::to_string(after->ms) +
                       " ms): dropped, nobody heard them");
    entries.erase(after, entries.end());
}

} // namespace

void TidyPerformanceLog(PerformanceLog& log, long long soundMs, std::vector<std::string>& warnings)
{
    StartAtTheSound(log.actions, "action", warnings);
    StartAtTheSound(log.pointer, "pointer sample", warnings);
    PutInTimeOrder(log.actions, "action", warnings);
    PutInTimeOrder(log.pointer, "pointer sample", warnings);
    if (soundMs >= 0) {
        EndWithTheSound(log.actions, soundMs, "action", warnings);
        EndWithTheSound(log.pointer, soundMs, "pointer sample", warnings);
    }
    // The pictures last as long as the sound that was kept.
    if (soundMs >= 0) {
        log.endMs = soundMs;
        return;
    }
    if (log.ended())
        return;
    log.endMs = 0;
    if (!log.actions.empty())
        log.endMs = log.actions.back().ms;
    if (!log.pointer.empty())
        log.endMs = std::max(log.endMs, log.pointer.back().ms);
}
