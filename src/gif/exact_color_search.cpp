// SPDX-License-Identifier: GPL-3.0-or-later
#include "gif/exact_color_search.h"

#include <algorithm>
#include <cmath>

namespace {

int Red(uint32_t rgb) { return static_cast<int>((rgb >> 16) & 0xFF); }
int Green(uint32_t rgb) { return static_cast<int>((rgb >> 8) & 0xFF); }
int Blue(uint32_t rgb) { return static_cast<int>(rgb & 0xFF); }
int Channel(uint32_t rgb, int c) { return static_cast<int>((rgb >> (16 - 8 * c)) & 0xFF); }

} // namespace

void ColorTable24::Clear()
{
    keys_.assign(1024, 0);
    values_.assign(1024, 0);
    count_ = 0;
}

size_t ColorTable24::Slot(uint32_t rgb) const
{
    const size_t mask = keys_.size() - 1;
    size_t slot = (rgb * 2654435761u) >> 8 & mask;
    while (keys_[slot] != 0 && keys_[slot] != rgb + 1)
        slot = (slot + 1) & mask;
    return slot;
}

uint32_t ColorTable24::Find(uint32_t rgb) const
{
    const size_t slot = Slot(rgb);
    return keys_[slot] == 0 ? kMissing : values_[slot];
}

void ColorTable24::Set(uint32_t rgb, uint32_t value)
{
    size_t slot = Slot(rgb);
    if (keys_[slot] == 0) {
        if (static_cast<size_t>(count_ + 1) * 2 > keys_.size()) {
            Grow();
            slot = Slot(rgb);
        }
        keys_[slot] = rgb + 1;
        ++count_;
    }
    values_[slot] = value;
}

void ColorTable24::Add(uint32_t rgb, uint32_t amount)
{
    const uint32_t now = Find(rgb);
    Set(rgb, (now == kMissing ? 0 : now) + amount);
}

void ColorTable24::Grow()
{
    std::vector<Entry> entries = Entries();
    keys_.assign(keys_.size() * 2, 0);
    values_.assign(keys_.size(), 0);
    for (const Entry& e : entries) {
        const size_t slot = Slot(e.rgb);
        keys_[slot] = e.rgb + 1;
        values_[slot] = e.value;
    }
}

std::vector<ColorTable24::Entry> ColorTable24::Entries() const
{
    std::vector<Entry> entries;
    entries.reserve(static_cast<size_t>(count_));
    for (size_t i = 0; i < keys_.size(); ++i)
        if (keys_[i] != 0)
            entries.push_back({keys_[i] - 1, values_[i]});
    return entries;
}

NearestColorSearch::NearestColorSearch(const std::vector<uint32_t>& palette)
{
    for (size_t i = 0; i < palette.size(); ++i)
        byGreen_.push_back({Red(palette[i]), Green(palette[i]), Blue(palette[i]), static_cast<int>(i)});
    std::sort(byGreen_.begin(), byGreen_.end(), [](const Item& a, const Item& b) { return a.g < b.g; });
}

int NearestColorSearch::Nearest(uint32_t rgb) const
{
    const int r = Red(rgb), g = Green(rgb), b = Blue(rgb);
    const int n = static_cast<int>(byGreen_.size());
    int up = static_cast<int>(std::lower_bound(byGreen_.begin(), byGreen_.end(), g,
                                               [](const Item& item, int green) { return item.g < green; }) -
                              byGreen_.begin());
    int down = up - 1;
    int best = -1;
    int bestDistance = 1 << 30;
    // Walk outwards from the same green; a side stops when its green gap alone is too far.
    while (up < n || down >= 0) {
        if (up < n) {
            const Item& c = byGreen_[up];
            const int dg = c.g - g;
            if (dg * dg >= bestDistance) {
                up = n;
            } else {
                const int d = (c.r - r) * (c.r - r) + dg * dg + (c.b - b) * (c.b - b);
                if (d < bestDistance || (d == bestDistance && c.index < best)) {
                    bestDistance = d;
                    best = c.index;
                }
                ++up;
            }
        }
        if (down >= 0) {
            const Item& c = byGreen_[down];
            const int dg = g - c.g;
            if (dg * dg >= bestDistance) {
                down = -1;
            } else {
                const int d = (c.r - r) * (c.r - r) + dg * dg + (c.b - b) * (c.b - b);
                if (d < bestDistance || (d == bestDistance && c.index < best)) {
                    bestDistance = d;
                    best = c.index;
                }
                --down;
            }
        }
    }
    return best;
}

namespace {

using Entry = ColorTable24::Entry;

struct Box {
    size_t begin;
    size_t end;
    double error;
    int axis; // channel of the largest spread
};

Box MeasureBox(const std::vector<Entry>& colors, size_t begin, size_t end)
{
    double w = 0, s[3] = {}, q[3] = {};
    for (size_t i = begin; i < end; ++i) {
        const double n = colors[i].value;
        w += n;
        for (int c = 0; c < 3; ++c) {
            const double v = Channel(colors[i].rgb, c);
            s[c] += n * v;
            q[c] += n * v * v;
        }
    }
    Box box{begin, end, 0, 0};
    double largest = -1;
    for (int c = 0; c < 3; ++c) {
        const double e = w > 0 ? q[c] - s[c] * s[c] / w : 0;
        box.error += e;
        if (e > largest) {
            largest = e;
            box.axis = c;
        }
    }
    if (end - begin < 2)
        box.error = 0;
    return box;
}

// Splits a box along its axis where the two halves' squared errors add up to the least.
size_t SplitPoint(std::vector<Entry>& colors, const Box& box)
{
    std::sort(colors.begin() + static_cast<long>(box.begin), colors.begin() + static_cast<long>(box.end),
              [axis = box.axis](const Entry& a, const Entry& b) { return Channel(a.rgb, axis) < Channel(b.rgb, axis); });
    double totalW = 0, totalS = 0, totalQ = 0;
    for (size_t i = box.begin; i < box.end; ++i) {
        const double n = colors[i].value, v = Channel(colors[i].rgb, box.axis);
        totalW += n;
        totalS += n * v;
        totalQ += n * v * v;
    }
    double w = 0, s = 0;
    double best = -1;
    size_t split = box.begin + 1;
    for (size_t i = box.begin; i + 1 < box.end; ++i) {
        const double n = colors[i].value, v = Channel(colors[i].rgb, box.axis);
        w += n;
        s += n * v;
        // Minimising the summed error of both halves is maximising this.
        const double rw = totalW - w, rs = totalS - s;
        const double score = s * s / w + (rw > 0 ? rs * rs / rw : 0);
        if (score > best && Channel(colors[i].rgb, box.axis) != Channel(colors[i + 1].rgb, box.axis)) {
            best = score;
            split = i + 1;
        }
    }
    (void)totalQ;
    return split;
}

// A photo has far more colours than a palette needs to be designed on.
constexpr size_t kDesignColors = 16384;

// Colours that agree in their upper 6 bits per channel as one, at their weighted mean, or at
// the colour that has most of the group's pixels (a flat background stays exact).
std::vector<Entry> Grouped(const std::vector<Entry>& histogram)
{
    struct Sum {
        double w = 0, r = 0, g = 0, b = 0;
        uint32_t top = 0, topCount = 0;
    };
    std::vector<Sum> groups(1 << 18);
    for (const Entry& e : histogram) {
        Sum& s = groups[((e.rgb >> 6) & 0x3F000) | ((e.rgb >> 4) & 0xFC0) | ((e.rgb >> 2) & 0x3F)];
        s.w += e.value;
        s.r += static_cast<double>(e.value) * Red(e.rgb);
        s.g += static_cast<double>(e.value) * Green(e.rgb);
        s.b += static_cast<double>(e.value) * Blue(e.rgb);
        if (e.value > s.topCount) {
            s.topCount = e.value;
            s.top = e.rgb;
        }
    }
    std::vector<Entry> grouped;
    for (const Sum& s : groups)
        if (2.0 * s.topCount >= s.w && s.w > 0)
            grouped.push_back({s.top, static_cast<uint32_t>(s.w)});
        else if (s.w > 0)
            grouped.push_back({(static_cast<uint32_t>(std::lround(s.r / s.w)) << 16) | (static_cast<uint32_t>(std::lround(s.g / s.w)) << 8) |
                                   static_cast<uint32_t>(std::lround(s.b / s.w)),
                               static_cast<uint32_t>(s.w)});
    return grouped;
}

} // namespace

std::vector<uint32_t> MakePalette(const std::vector<ColorTable24::Entry>& histogram, int maxColors)
{
    if (static_cast<int>(histogram.size()) <= maxColors) {
        std::vector<uint32_t> all;
        for (const Entry& e : histogram)
            all.push_back(e.rgb);
        return all;
    }
    std::vector<Entry> colors = histogram.size() > kDesignColors ? Grouped(histogram) : histogram;
    std::vector<Box> boxes{MeasureBox(colors, 0, colors.size())};
    while (static_cast<int>(boxes.size()) < maxColors) {
        auto worst = std::max_element(boxes.begin(), boxes.end(), [](const Box& a, const Box& b) { return a.error < b.error; });
        if (worst->error <= 0)
            break;
        const Box box = *worst;
        const size_t split = SplitPoint(colors, box);
        *worst = MeasureBox(colors, box.begin, split);
        boxes.push_back(MeasureBox(colors, split, box.end));
    }

    std::vector<uint32_t> palette;
    for (const Box& box : boxes) {
        double w = 0, s[3] = {};
        for (size_t i = box.begin; i < box.end; ++i)
            for (int c = 0; c < 3; ++c) {
                s[c] += static_cast<double>(colors[i].value) * Channel(colors[i].rgb, c);
                w += c == 0 ? colors[i].value : 0;
            }
        uint32_t rgb = 0;
        for (int c = 0; c < 3; ++c)
            rgb = (rgb << 8) | static_cast<uint32_t>(std::lround(s[c] / w));
        palette.push_back(rgb);
    }

    // Two rounds of moving every entry to the mean of the colours it now serves; an entry
    // most of whose pixels have one colour takes exactly that colour.
    const size_t k = palette.size();
    for (int round = 0; round < 2; ++round) {
        std::vector<double> w(k, 0), s(3 * k, 0);
        std::vector<uint32_t> top(k, 0), topCount(k, 0);
        const NearestColorSearch search(palette);
        for (const Entry& e : colors) {
            const size_t i = static_cast<size_t>(search.Nearest(e.rgb));
            w[i] += e.value;
            for (int c = 0; c < 3; ++c)
                s[3 * i + c] += static_cast<double>(e.value) * Channel(e.rgb, c);
            if (e.value > topCount[i]) {
                topCount[i] = e.value;
                top[i] = e.rgb;
            }
        }
        for (size_t i = 0; i < k; ++i) {
            if (w[i] <= 0)
                continue;
            if (2.0 * topCount[i] >= w[i]) {
                palette[i] = top[i];
                continue;
            }
            uint32_t rgb = 0;
            for (int c = 0; c < 3; ++c)
                rgb = (rgb << 8) | static_cast<uint32_t>(std::lround(s[3 * i + c] / w[i]));
            palette[i] = rgb;
        }
    }
    std::sort(palette.begin(), palette.end());
    palette.erase(std::unique(palette.begin(), palette.end()), palette.end());
    return palette;
}
