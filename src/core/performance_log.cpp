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
