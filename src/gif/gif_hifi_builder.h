// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The "High Fidelity" frames of the animation build. Colours are kept exactly wherever a frame
// has no more than a palette holds: new colours join one palette shared by the frames (the
// global colour table), a frame with only a few colours gets a small table of its own, and only
// a frame with more colours than that gets a palette made for it, mapped by an exact nearest-
// colour search. After the first frame each frame holds only the rectangle whose shown colours
// change; inside it, pixels that keep their colour are transparent or repeat their neighbour,
// whichever continues the run, which LZW codes in few bytes.
//
// A tolerance trades exactness for bytes: a pixel within that distance (colour_tolerance.h) of
// what the viewer already shows is left as it is, a new colour within it of a table colour takes
// that entry, and a pixel takes any entry within it that lets the LZW string go on. Every choice
// is measured against the source picture and the screen as really shown, never against the last
// source picture, so that small steps cannot add up over frames.

#include "core/picture.h"
#include "gif/exact_color_search.h"
#include "gif/gif_image.h"

#include <cstdint>
#include <memory>
#include <vector>

struct GifHifiSettings {
    int tolerance = 0; // 0: every colour the palette can hold is shown exactly
    int colors = 256;  // the most entries a frame's table may have, 2..256
};

struct GifHifiFrame {
    // Not set when the picture shows nothing new.
    std::unique_ptr<TGIFSubImage> frame;
    // The index that shows what was there before; -1 for a whole frame.
    int transparentIndex = -1;
};

class GifHifiFrames {
public:
    // The frame (of animation, not yet added) that makes the screen show picture: 24-bit,
    // already at the output size. A frame of another size starts again with a whole frame.
    GifHifiFrame Next(TGIFImage& animation, const Picture& picture, const GifHifiSettings& settings = {});
    // What a viewer shows is no longer known: the next frame is whole.
    void Forget();
    // Forget, and the shared table too: the next frame starts another animation.
    void Reset();

private:
    struct Rect;
    struct Table;
    struct Changes;
    struct PixelChoices;
    struct LzwStrings;
    void BindGlobalTable(const TGIFImage& animation);
    void WriteGlobalTable(TGIFImage& animation) const;

    // The steps of Next, in order.
    // A picture of another size than the last, or the first: the screen starts empty; true
    // when the frame must be whole.
    bool StartPicture(int width, int height);
    // Where now differs from the last picture (everywhere when whole), its colours there, and
    // whether that rectangle is drawn opaque.
    Changes FindChanges(const std::vector<uint32_t>& now, bool whole) const;
    // The table the frame's pixels index; adds new colours to the shared one when it is chosen.
    Table ChooseTable(TGIFImage& animation, const Changes& changes);
    // What each pixel of the changed rectangle must or may show, and the part that must change.
    PixelChoices ChoosePixels(const std::vector<uint32_t>& now, const Changes& changes, Table& table) const;
    // The frame of that part; the screen then shows it.
    // The frame's place, size and colour table, before any pixel.
    static std::unique_ptr<TGIFSubImage> PlacedFrame(TGIFImage& animation, const Changes& changes,
                                                     const PixelChoices& choices, const Table& table);
    std::unique_ptr<TGIFSubImage> DrawFrame(TGIFImage& animation, const Changes& changes,
                                            const PixelChoices& choices, const Table& table);
    // DrawFrame with a tolerance: picks among the entries each pixel may take the one that
    // makes the longest LZW strings.
    std::unique_ptr<TGIFSubImage> DrawTolerantFrame(TGIFImage& animation, const Changes& changes,
                                                    const PixelChoices& choices, const Table& table,
                                                    const std::vector<uint32_t>& now);
    uint32_t TableColour(const Table& table, int index) const;
    // Whether a pixel counts as changed: its source colour differs from the last picture and,
    // with a tolerance, from what is shown by more than it.
    bool Changed(const std::vector<uint32_t>& now, size_t at) const;
    // With a tolerance: colour -> entry for every colour of the frame.
    void MapWithinTolerance(Table& table, const ColorTable24& histogram) const;

    GifHifiSettings settings_;
    int width_ = 0;
    int height_ = 0;
    std::vector<uint32_t> source_; // the last picture, 0xRRGGBB
    std::vector<uint32_t> screen_; // what a viewer shows now
    // The shared table of the animation this builder last added to: colour -> index.
    const TGIFImage* boundTo_ = nullptr;
    std::vector<uint32_t> globalColors_; // entries in use, the transparent one first
    ColorTable24 global_;
};
