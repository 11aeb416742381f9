#pragma once
// The output sizes the "Zoom:" lists of the video and GIF pages offer, in list order.

#include <array>

struct ZoomSize {
    int width;
    int height;
};

// 560 x 420, 480 x 360, 360 x 270, 240 x 180, 120 x 90: the lists' items, first to last.
constexpr std::array<ZoomSize, 5> kZoomSizes = {{{560, 420}, {480, 360}, {360, 270}, {240, 180}, {120, 90}}};

// Size of list item index; any other index (no selection included) gives the first size.
ZoomSize ZoomSizeFor(int index);
