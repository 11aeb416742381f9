// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Exact colour work for the high-fidelity GIF build: a table keyed by the whole 24-bit colour
// (no two colours share an entry, unlike a 15-bit cell table), a palette made for the colours a
// frame really has, and the nearest palette entry by squared distance.

#include <cstddef>
#include <cstdint>
#include <vector>

// 0xRRGGBB -> a value, open addressing; no allocation per colour once grown.
class ColorTable24 {
public:
    static constexpr uint32_t kMissing = 0xFFFFFFFFu;

    ColorTable24() { Clear(); }
    void Clear();
    int Count() const { return count_; }
    uint32_t Find(uint32_t rgb) const;
    void Set(uint32_t rgb, uint32_t value);
    // Adds amount to the value of rgb (0 when new).
    void Add(uint32_t rgb, uint32_t amount);

    struct Entry {
        uint32_t rgb;
        uint32_t value;
    };
    std::vector<Entry> Entries() const;

private:
    size_t Slot(uint32_t rgb) const;
    void Grow();

    // Key + 1, so that 0 marks a free slot.
    std::vector<uint32_t> keys_;
    std::vector<uint32_t> values_;
    int count_ = 0;
};

// Nearest entry of a palette of up to 256 colours, exact: entries are kept in green order and
// the search stops once the green distance alone exceeds the best match.
class NearestColorSearch {
public:
    explicit NearestColorSearch(const std::vector<uint32_t>& palette);
    int Nearest(uint32_t rgb) const;

private:
    struct Item {
        int r, g, b;
        int index;
    };
    std::vector<Item> byGreen_;
};

// At most maxColors colours for a histogram (colour -> pixel count): boxes split where the
// squared error is largest, then refined; a colour that dominates its group is kept exactly,
// so flat backgrounds and text stay true.
std::vector<uint32_t> MakePalette(const std::vector<ColorTable24::Entry>& histogram, int maxColors);
