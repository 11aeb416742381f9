// SPDX-License-Identifier: GPL-3.0-or-later
#include "gif/gif_hifi_builder.h"

#include "gif/colour_tolerance.h"
#include "gif/lzw_encoder.h"

#include <algorithm>
#include <array>
#include <climits>

namespace {

// A frame's own table stays local up to this many entries: its codes are then at most 5 bits
// wide instead of the shared table's 8.
constexpr int kSmallTable = 16;
// Index 0 of every table made here shows what was there before.
constexpr int kTransparent = 0;
// With a tolerance, a frame's colours are gathered into those the table needs only up to this
// many: beyond it they fill a made palette anyway, and the gathering costs a table scan each.
constexpr int kGatherLimit = 4096;

TGIFColor ColorOf(uint32_t rgb)
{
    return {static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8), static_cast<uint8_t>(rgb)};
}

std::vector<uint32_t> PixelsOf(const Picture& picture)
{
    std::vector<uint32_t> pixels(static_cast<size_t>(picture.width()) * picture.height());
    for (int y = 0; y < picture.height(); ++y) {
        const uint8_t* row = picture.scanLine(y);
        uint32_t* out = pixels.data() + static_cast<size_t>(y) * picture.width();
        for (int x = 0; x < picture.width(); ++x)
            out[x] = (static_cast<uint32_t>(row[3 * x + 2]) << 16) | (row[3 * x + 1] << 8) | row[3 * x];
    }
    return pixels;
}

} // namespace

struct GifHifiFrames::Rect {
    int left = 0, top = 0, right = -1, bottom = -1; // inclusive
    bool Empty() const { return right < left; }
    int Width() const { return right - left + 1; }
    int Height() const { return bottom - top + 1; }
    void Take(int x, int y)
    {
        if (Empty()) {
            left = right = x;
            top = bottom = y;
            return;
        }
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
    }
};

struct GifHifiFrames::Changes {
    Rect changed;
    ColorTable24 histogram; // the colours drawn: of the changed pixels, or of the whole rectangle when opaque
    bool opaque = false;    // no index is kept for "unchanged"
};

// Per pixel of the changed rectangle, row by row: the index it must show (its shown colour
// changes), else the index it may show without changing what is seen; -1 for none.
struct GifHifiFrames::PixelChoices {
    std::vector<int16_t> must;
    std::vector<int16_t> may;
    Rect shown; // of the pixels that must change, inside the changed rectangle
};

// The colours one frame's pixels index: the shared table or one of its own.
struct GifHifiFrames::Table {
    bool global = false;
    std::vector<uint32_t> local;   // entries of a table of its own
    ColorTable24 exact;            // colour -> index, only colours the table holds
    ColorTable24 mapped;           // colour -> nearest index, for a made palette or within a tolerance
    std::unique_ptr<NearestColorSearch> search; // over the made palette, numbered from 0
    int offset = 0;                             // where the made palette starts in the table
    int firstColour = 0;                        // the first entry that holds a colour, past the transparent one

    int Exact(uint32_t rgb) const
    {
        const uint32_t i = exact.Find(rgb);
        return i == ColorTable24::kMissing ? -1 : static_cast<int>(i);
    }
    int Map(uint32_t rgb)
    {
        const int i = Exact(rgb);
        if (i >= 0)
            return i;
        const uint32_t known = mapped.Find(rgb);
        if (known != ColorTable24::kMissing || !search)
            return known == ColorTable24::kMissing ? -1 : static_cast<int>(known);
        const int nearest = search->Nearest(rgb) + offset;
        mapped.Set(rgb, static_cast<uint32_t>(nearest));
        return nearest;
    }
};

void GifHifiFrames::Forget()
{
    width_ = height_ = 0;
    source_.clear();
    screen_.clear();
}

void GifHifiFrames::Reset()
{
    Forget();
    boundTo_ = nullptr;
    globalColors_.clear();
    global_.Clear();
}

void GifHifiFrames::BindGlobalTable(const TGIFImage& animation)
{
    if (boundTo_ == &animation)
        return;
    // An animation this builder has not filled: whatever its table holds stays taken.
    boundTo_ = &animation;
    globalColors_.clear();
    global_.Clear();
    const TGIFColorMap& map = animation.Header.ColorMap;
    for (int i = 0; i < map.Count(); ++i) {
        const TGIFColor c = map[i];
        const uint32_t rgb = (static_cast<uint32_t>(c.Red) << 16) | (c.Green << 8) | c.Blue;
        globalColors_.push_back(rgb);
        if (i > 0 && global_.Find(rgb) == ColorTable24::kMissing)
            global_.Set(rgb, static_cast<uint32_t>(i));
    }
}

void GifHifiFrames::WriteGlobalTable(TGIFImage& animation) const
{
    // Always 256 entries: frames that use the shared table are packed (coded) as soon as they
    // are finished, and a table that keeps its size keeps those codes valid until the save;
    // a table that grew would make the save decode and code every earlier frame again.
    TGIFColorMap& map = animation.Header.ColorMap;
    map.Clear();
    for (uint32_t rgb : globalColors_)
        map.Add(ColorOf(rgb));
    while (map.Count() < TGIFColorMap::kMaxColors)
        map.Add({0, 0, 0});
}

GifHifiFrame GifHifiFrames::Next(TGIFImage& animation, const Picture& picture, const GifHifiSettings& settings)
{
    GifHifiFrame result;
    if (picture.empty())
        return result;
    settings_.tolerance = std::clamp(settings.tolerance, 0, kMaxGifTolerance);
    settings_.colors = std::clamp(settings.colors, 2, TGIFColorMap::kMaxColors);
    BindGlobalTable(animation);
    std::vector<uint32_t> now = PixelsOf(picture);
    const bool whole = StartPicture(picture.width(), picture.height());
    const Changes changes = FindChanges(now, whole);
    if (changes.changed.Empty())
        return result;
    Table table = ChooseTable(animation, changes);
    const PixelChoices choices = ChoosePixels(now, changes, table);
    source_ = std::move(now);
    if (choices.shown.Empty())
        return result; // changes too small for the palette to show
    result.frame = settings_.tolerance > 0 ? DrawTolerantFrame(animation, changes, choices, table, source_)
                                           : DrawFrame(animation, changes, choices, table);
    result.transparentIndex = changes.opaque ? -1 : kTransparent;
    return result;
}

bool GifHifiFrames::Changed(const std::vector<uint32_t>& now, size_t at) const
{
    if (now[at] == source_[at])
        return false;
    // Against the screen, not the last picture: a pixel that creeps by small steps is drawn
    // again as soon as it has gone further than the tolerance from what is shown.
    return settings_.tolerance == 0 || !WithinTolerance(now[at], screen_[at], settings_.tolerance);
}

bool GifHifiFrames::StartPicture(int width, int height)
{
    const bool whole = width != width_ || height != height_ || screen_.empty();
    if (whole) {
        width_ = width;
        height_ = height;
        screen_.assign(static_cast<size_t>(width) * height, 0);
    }
    return whole;
}

GifHifiFrames::Changes GifHifiFrames::FindChanges(const std::vector<uint32_t>& now, bool whole) const
{
    Changes changes;
    for (int y = 0; y < height_; ++y) {
        const size_t row = static_cast<size_t>(y) * width_;
        for (int x = 0; x < width_; ++x)
            if (whole || Changed(now, row + x)) {
                changes.changed.Take(x, y);
                changes.histogram.Add(now[row + x], 1);
            }
    }
    // Changed pixels of 256 colours leave no index for "unchanged": if the whole rectangle
    // has no more than 256, it is drawn opaque and stays exact.
    changes.opaque = whole;
    if (!whole && changes.histogram.Count() >= TGIFColorMap::kMaxColors) {
        const Rect& r = changes.changed;
        ColorTable24 inside;
        for (int y = r.top; y <= r.bottom && inside.Count() <= TGIFColorMap::kMaxColors; ++y)
            for (int x = r.left; x <= r.right; ++x)
                inside.Add(now[static_cast<size_t>(y) * width_ + x], 1);
        if (inside.Count() <= TGIFColorMap::kMaxColors) {
            changes.opaque = true;
            changes.histogram = inside;
        }
    }
    return changes;
}

namespace {

// The colours a table needs so that every colour of the histogram has an entry within the
// tolerance: taken greedily, most pixels first, each one only when no colour already in `kept`
// (the table so far, then those taken) stands for it. Returns those taken.
std::vector<uint32_t> GatherColours(const ColorTable24& histogram, const std::vector<uint32_t>& kept, int tolerance)
{
    std::vector<ColorTable24::Entry> entries = histogram.Entries();
    std::sort(entries.begin(), entries.end(), [](const ColorTable24::Entry& a, const ColorTable24::Entry& b) {
        return a.value != b.value ? a.value > b.value : a.rgb < b.rgb;
    });
    std::vector<uint32_t> all = kept;
    std::vector<uint32_t> taken;
    for (const auto& e : entries) {
        const bool covered = std::any_of(all.begin(), all.end(),
                                         [&](uint32_t c) { return WithinTolerance(c, e.rgb, tolerance); });
        if (!covered) {
            all.push_back(e.rgb);
            taken.push_back(e.rgb);
        }
    }
    return taken;
}

} // namespace

GifHifiFrames::Table GifHifiFrames::ChooseTable(TGIFImage& animation, const Changes& changes)
{
    // A small one of its own, else the shared one while the colours fit, else one of its own
    // with the exact colours, else a palette made for them.
    const ColorTable24& histogram = changes.histogram;
    const int reserved = changes.opaque ? 0 : 1;
    const int tolerance = settings_.tolerance;
    const int limit = settings_.colors;
    // With a tolerance the table needs only colours that stand for the rest.
    const bool gather = tolerance > 0 && histogram.Count() <= kGatherLimit;
    std::vector<uint32_t> own;
    if (gather)
        own = GatherColours(histogram, {}, tolerance);
    const int colors = gather ? static_cast<int>(own.size()) : histogram.Count();
    Table table;
    int newShared = 0;
    std::vector<uint32_t> newColours;
    if (colors + reserved > kSmallTable) {
        if (gather) {
            // The transparent entry stands for no colour.
            const std::vector<uint32_t> shared(globalColors_.begin() + (globalColors_.empty() ? 0 : 1), globalColors_.end());
            newColours = GatherColours(histogram, shared, tolerance);
        } else {
            for (const auto& e : histogram.Entries())
                if (global_.Find(e.rgb) == ColorTable24::kMissing)
                    newColours.push_back(e.rgb);
        }
        newShared = static_cast<int>(newColours.size());
        table.global = std::max(static_cast<int>(globalColors_.size()), 1) + newShared <= limit;
    }
    if (table.global) {
        if (globalColors_.empty())
            globalColors_.push_back(0); // the transparent entry
        for (uint32_t rgb : newColours)
            if (global_.Find(rgb) == ColorTable24::kMissing) {
                global_.Set(rgb, static_cast<uint32_t>(globalColors_.size()));
                globalColors_.push_back(rgb);
            }
        if (newShared > 0 || animation.Header.ColorMap.Empty())
            WriteGlobalTable(animation);
        table.exact = global_;
        table.firstColour = 1;
        if (gather)
            MapWithinTolerance(table, histogram);
        return table;
    }
    if (reserved)
        table.local.push_back(0);
    table.firstColour = reserved;
    std::vector<uint32_t> palette;
    if (colors + reserved <= limit) {
        if (gather) {
            palette = own;
        } else {
            for (const auto& e : histogram.Entries())
                palette.push_back(e.rgb);
        }
        std::sort(palette.begin(), palette.end());
    } else {
        palette = MakePalette(histogram.Entries(), limit - reserved);
        table.search = std::make_unique<NearestColorSearch>(palette);
        table.offset = reserved;
    }
    for (uint32_t rgb : palette) {
        table.exact.Set(rgb, static_cast<uint32_t>(table.local.size()));
        table.local.push_back(rgb);
    }
    if (gather && !table.search)
        MapWithinTolerance(table, histogram);
    return table;
}

void GifHifiFrames::MapWithinTolerance(Table& table, const ColorTable24& histogram) const
{
    // Every colour of the frame to its nearest entry; the gathering made that one within the
    // tolerance. The transparent entry holds no colour.
    const std::vector<uint32_t>& entries = table.global ? globalColors_ : table.local;
    const size_t first = static_cast<size_t>(table.firstColour);
    for (const auto& e : histogram.Entries()) {
        if (table.exact.Find(e.rgb) != ColorTable24::kMissing)
            continue;
        int best = -1;
        int bestDistance = INT_MAX;
        for (size_t i = first; i < entries.size(); ++i) {
            const int d = ColourDistanceSquared9(entries[i], e.rgb);
            if (d < bestDistance) {
                bestDistance = d;
                best = static_cast<int>(i);
            }
        }
        if (best >= 0)
            table.mapped.Set(e.rgb, static_cast<uint32_t>(best));
    }
}

uint32_t GifHifiFrames::TableColour(const Table& table, int index) const
{
    if (table.global)
        return globalColors_[static_cast<size_t>(index)];
    return table.local[static_cast<size_t>(index)];
}

GifHifiFrames::PixelChoices GifHifiFrames::ChoosePixels(const std::vector<uint32_t>& now, const Changes& changes,
                                                       Table& table) const
{
    // Each pixel of the changed rectangle either must show a new index (its shown colour
    // changes) or may show what it shows now: the transparent index, or its colour's index.
    const Rect& changed = changes.changed;
    const int cw = changed.Width();
    const int ch = changed.Height();
    PixelChoices choices;
    choices.must.assign(static_cast<size_t>(cw) * ch, -1);
    choices.may.assign(static_cast<size_t>(cw) * ch, -1);
    for (int y = 0; y < ch; ++y)
        for (int x = 0; x < cw; ++x) {
            const size_t at = static_cast<size_t>(y + changed.top) * width_ + x + changed.left;
            const size_t here = static_cast<size_t>(y) * cw + x;
            if (changes.opaque || Changed(now, at)) {
                const int index = table.Map(now[at]);
                if (changes.opaque || TableColour(table, index) != screen_[at]) {
                    choices.must[here] = static_cast<int16_t>(index);
                    choices.shown.Take(x, y);
                    continue;
                }
                choices.may[here] = static_cast<int16_t>(index);
            } else {
                choices.may[here] = static_cast<int16_t>(table.Exact(screen_[at]));
            }
        }
    return choices;
}

std::unique_ptr<TGIFSubImage> GifHifiFrames::PlacedFrame(TGIFImage& animation, const Changes& changes,
                                                         const PixelChoices& choices, const Table& table)
{
    const Rect& changed = changes.changed;
    const Rect& shown = choices.shown;
    auto frame = std::make_unique<TGIFSubImage>(&animation);
    frame->SetWidth(shown.Width());
    frame->SetHeight(shown.Height());
    frame->SetLeft(changed.left + shown.left);
    frame->SetTop(changed.top + shown.top);
    for (uint32_t rgb : table.local)
        frame->ColorMap.Add(ColorOf(rgb));
    return frame;
}

std::unique_ptr<TGIFSubImage> GifHifiFrames::DrawFrame(TGIFImage& animation, const Changes& changes,
                                                       const PixelChoices& choices, const Table& table)
{
    const Rect& changed = changes.changed;
    const Rect& shown = choices.shown;
    const int cw = changed.Width();
    auto frame = PlacedFrame(animation, changes, choices, table);
    int last = kTransparent;
    for (int y = shown.top; y <= shown.bottom; ++y) {
        uint8_t* out = frame->ScanLine(y - shown.top);
        for (int x = shown.left; x <= shown.right; ++x) {
            const size_t here = static_cast<size_t>(y) * cw + x;
            int index = choices.must[here];
            if (index >= 0) {
                screen_[static_cast<size_t>(y + changed.top) * width_ + x + changed.left] = TableColour(table, index);
            } else if (last != kTransparent && last == choices.may[here]) { // may is -1 or a real entry
                index = last; // continues the run
            } else {
                index = kTransparent;
            }
            out[x - shown.left] = static_cast<uint8_t>(index);
            last = index;
        }
    }
    return frame;
}

// The strings the frame's LZW coder will know, as the coder builds them (gif/lzw_encoder.cpp):
// codes from clear + 2 up to TLZWEncoder::kLastCode, then a fresh start. Choosing each pixel's
// entry while following the coder's greedy walk lets a pixel take the entry that extends the
// string being coded, so that the coder's own walk over the chosen entries finds those strings.
struct GifHifiFrames::LzwStrings {
    explicit LzwStrings(int colours)
    {
        int bits = 2;
        while ((1 << bits) < colours)
            ++bits;
        clear = 1 << bits;
        Restart();
    }
    void Restart()
    {
        std::fill(first.begin(), first.begin() + clear, int16_t{-1});
        next = clear + 2;
    }
    void Add(int prefix, int pixel)
    {
        if (next > TLZWEncoder::kLastCode) {
            Restart();
            return;
        }
        last[static_cast<size_t>(next)] = static_cast<uint8_t>(pixel);
        sibling[static_cast<size_t>(next)] = first[static_cast<size_t>(prefix)];
        first[static_cast<size_t>(prefix)] = static_cast<int16_t>(next);
        first[static_cast<size_t>(next)] = -1;
        ++next;
    }

    int clear = 4;
    int next = 6;
    std::array<int16_t, 4096> first{};   // a string's first longer string, -1 when none
    std::array<int16_t, 4096> sibling{}; // the next longer string of the same prefix
    std::array<uint8_t, 4096> last{};    // the entry a string ends with
};

std::unique_ptr<TGIFSubImage> GifHifiFrames::DrawTolerantFrame(TGIFImage& animation, const Changes& changes,
                                                               const PixelChoices& choices, const Table& table,
                                                               const std::vector<uint32_t>& now)
{
    const Rect& changed = changes.changed;
    const Rect& shown = choices.shown;
    const int cw = changed.Width();
    const int tolerance = settings_.tolerance;
    auto frame = PlacedFrame(animation, changes, choices, table);
    const int colours = table.global ? TGIFColorMap::kMaxColors : static_cast<int>(table.local.size());
    // Only an opaque frame's entry 0 is a colour.
    const bool keeps = !changes.opaque;
    LzwStrings strings(colours);
    int prefix = -1;
    for (int y = shown.top; y <= shown.bottom; ++y) {
        uint8_t* out = frame->ScanLine(y - shown.top);
        for (int x = shown.left; x <= shown.right; ++x) {
            const size_t here = static_cast<size_t>(y) * cw + x;
            const size_t at = static_cast<size_t>(y + changed.top) * width_ + x + changed.left;
            const uint32_t want = now[at];
            const int must = choices.must[here];
            const int may = choices.may[here];
            // What the exact build would draw here, and how far each other entry is from the
            // source; -1: not allowed.
            const int preferred = must >= 0 ? must : (keeps ? kTransparent : may);
            auto cost = [&](int index) {
                if (index == preferred || (must < 0 && index == may))
                    return 0;
                if (keeps && index == kTransparent) {
                    if (must >= 0)
                        return -1;
                    const int d = ColourDistanceSquared9(screen_[at], want);
                    return d <= 9 * tolerance * tolerance ? d : -1;
                }
                if (index < table.firstColour && !changes.opaque)
                    return -1;
                const int d = ColourDistanceSquared9(TableColour(table, index), want);
                return d <= 9 * tolerance * tolerance ? d : -1;
            };
            int chosen = -1;
            if (prefix >= 0) {
                int best = -1;
                int bestCost = INT_MAX;
                for (int c = strings.first[static_cast<size_t>(prefix)]; c >= 0; c = strings.sibling[static_cast<size_t>(c)]) {
                    const int k = cost(strings.last[static_cast<size_t>(c)]);
                    if (k >= 0 && k < bestCost) {
                        bestCost = k;
                        best = c;
                        if (k == 0)
                            break;
                    }
                }
                if (best >= 0) {
                    prefix = best;
                    chosen = strings.last[static_cast<size_t>(best)];
                }
            }
            if (chosen < 0) {
                chosen = preferred;
                if (prefix >= 0)
                    strings.Add(prefix, chosen);
                prefix = chosen;
            }
            if (!keeps || chosen != kTransparent)
                screen_[at] = TableColour(table, chosen);
            out[x - shown.left] = static_cast<uint8_t>(chosen);
        }
    }
    return frame;
}
