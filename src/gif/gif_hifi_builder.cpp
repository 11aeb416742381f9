#include "gif/gif_hifi_builder.h"

#include <algorithm>

namespace {

// A frame's own table stays local up to this many entries: its codes are then at most 5 bits
// wide instead of the shared table's 8.
constexpr int kSmallTable = 16;
// Index 0 of every table made here shows what was there before.
constexpr int kTransparent = 0;

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
    ColorTable24 mapped;           // colour -> nearest index, for a made palette
    std::unique_ptr<NearestColorSearch> search; // over the made palette, numbered from 0
    int offset = 0;                             // where the made palette starts in the table

    int Exact(uint32_t rgb) const
    {
        const uint32_t i = exact.Find(rgb);
        return i == ColorTable24::kMissing ? -1 : static_cast<int>(i);
    }
    int Map(uint32_t rgb)
    {
        const int i = Exact(rgb);
        if (i >= 0 || !search)
            return i;
        const uint32_t known = mapped.Find(rgb);
        if (known != ColorTable24::kMissing)
            return static_cast<int>(known);
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

GifHifiFrame GifHifiFrames::Next(TGIFImage& animation, const Picture& picture)
{
    GifHifiFrame result;
    if (picture.empty())
        return result;
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
    result.frame = DrawFrame(animation, changes, choices, table);
    result.transparentIndex = changes.opaque ? -1 : kTransparent;
    return result;
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
            if (whole || now[row + x] != source_[row + x]) {
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

GifHifiFrames::Table GifHifiFrames::ChooseTable(TGIFImage& animation, const Changes& changes)
{
    // A small one of its own, else the shared one while the colours fit, else one of its own
    // with the exact colours, else a palette made for them.
    const ColorTable24& histogram = changes.histogram;
    const int reserved = changes.opaque ? 0 : 1;
    const int colors = histogram.Count();
    Table table;
    int newShared = 0;
    if (colors + reserved > kSmallTable) {
        for (const auto& e : histogram.Entries())
            newShared += global_.Find(e.rgb) == ColorTable24::kMissing ? 1 : 0;
        table.global = std::max(static_cast<int>(globalColors_.size()), 1) + newShared <= TGIFColorMap::kMaxColors;
    }
    if (table.global) {
        if (globalColors_.empty())
            globalColors_.push_back(0); // the transparent entry
        for (const auto& e : histogram.Entries())
            if (global_.Find(e.rgb) == ColorTable24::kMissing) {
                global_.Set(e.rgb, static_cast<uint32_t>(globalColors_.size()));
                globalColors_.push_back(e.rgb);
            }
        if (newShared > 0 || animation.Header.ColorMap.Empty())
            WriteGlobalTable(animation);
        table.exact = global_;
        return table;
    }
    if (reserved)
        table.local.push_back(0);
    std::vector<uint32_t> palette;
    if (colors + reserved <= TGIFColorMap::kMaxColors) {
        for (const auto& e : histogram.Entries())
            palette.push_back(e.rgb);
        std::sort(palette.begin(), palette.end());
    } else {
        palette = MakePalette(histogram.Entries(), TGIFColorMap::kMaxColors - reserved);
        table.search = std::make_unique<NearestColorSearch>(palette);
        table.offset = reserved;
    }
    for (uint32_t rgb : palette) {
        table.exact.Set(rgb, static_cast<uint32_t>(table.local.size()));
        table.local.push_back(rgb);
    }
    return table;
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
            if (changes.opaque || now[at] != source_[at]) {
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

std::unique_ptr<TGIFSubImage> GifHifiFrames::DrawFrame(TGIFImage& animation, const Changes& changes,
                                                       const PixelChoices& choices, const Table& table)
{
    const Rect& changed = changes.changed;
    const Rect& shown = choices.shown;
    const int cw = changed.Width();
    auto frame = std::make_unique<TGIFSubImage>(&animation);
    frame->SetWidth(shown.Width());
    frame->SetHeight(shown.Height());
    frame->SetLeft(changed.left + shown.left);
    frame->SetTop(changed.top + shown.top);
    for (uint32_t rgb : table.local)
        frame->ColorMap.Add(ColorOf(rgb));
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
