// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A GIF colour table: up to 256 entries of red, green, blue in file order.

#include "gif/gif_item.h"

#include <array>
#include <cstdint>

struct TGIFColor {
    uint8_t Red = 0;
    uint8_t Green = 0;
    uint8_t Blue = 0;
    bool operator==(const TGIFColor&) const = default;
};

class TGIFColorMap {
public:
    static constexpr int kMaxColors = 256;

    explicit TGIFColorMap(TGIFItem* owner = nullptr) : owner_(owner) {}

    int Count() const { return count_; }
    bool Empty() const { return count_ == 0; }
    bool Sorted() const { return sorted_; }
    void SetSorted(bool sorted) { sorted_ = sorted; }
    void Clear()
    {
        count_ = 0;
        sorted_ = false;
    }
    // Appends an entry and returns its index; a 257th raises "Color table overflow".
    int Add(TGIFColor color);
    // An index outside the table warns "Invalid color index" and reads entry 0; an empty
    // table raises "Color table is empty".
    TGIFColor Color(int index) const;
    // Entry without checks, for loops over 0..Count()-1.
    const TGIFColor& operator[](int index) const { return colors_[static_cast<size_t>(index)]; }
    int BitsPerPixel() const { return ColorTableBits(count_); }

    void Assign(const TGIFColorMap& other);
    // The entries, then black ones up to 2 ^ BitsPerPixel().
    void SaveToStream(GifOutput& stream) const;

private:
    TGIFItem* owner_;
    std::array<TGIFColor, kMaxColors> colors_{};
    int count_ = 0;
    bool sorted_ = false;
};

class TGIFGlobalColorMap : public TGIFColorMap {
public:
    using TGIFColorMap::TGIFColorMap;
};

class TGIFLocalColorMap : public TGIFColorMap {
public:
    using TGIFColorMap::TGIFColorMap;
};
