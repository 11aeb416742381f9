// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Tests on the 71 sample columns x = 60, 66, ..., 480: where the presentation area is black.
// Points outside the picture count as black. The positions are laid out for the default
// capture size, 595 x 466; at other capture sizes they are scaled by capture size / 595 x 466
// (the untrimmed rectangle, never the trimmed picture), so they fall on the same places of
// the slide and the default size keeps its exact positions.

#include "core/picture.h"
#include "platform/screen_grabber.h"

struct SampleScale {
    static constexpr int kLayoutWidth = 595;
    static constexpr int kLayoutHeight = 466;
    int captureWidth = kLayoutWidth;
    int captureHeight = kLayoutHeight;

    // The scale of a capture rectangle before its trim; an empty one keeps the layout.
    static SampleScale ForCapture(const ScreenRect& capture);
    // A layout column or row at this capture size, rounded to the nearest pixel.
    int X(int layoutX) const;
    int Y(int layoutY) const;
};

// The capture rectangle of a browser frame whose panel has its top-left corner at (x0, y0)
// on the screen and the given size: 2 pixels in from the left, 6 from the top, 20 from the
// right and 9 from the bottom.
ScreenRect CaptureRectangle(int x0, int y0, int panelWidth, int panelHeight);
// Panel1's size for a capture of width x height: the inverse of CaptureRectangle's insets.
int PanelWidthFor(int captureWidth);
int PanelHeightFor(int captureHeight);

// True when the point (x, y) exists and its colour value is not 0.
bool IsLitPoint(const Picture& picture, int x, int y);

// True when row y (a picture row, not scaled) has a lit point at a sample column.
bool IsLitRow(const Picture& picture, int y, const SampleScale& scale = {});

// Removes the black border: the first k of 1..100 for which row k or row h - k is lit moves
// the top down by k + 1 and the bottom up by k; without such a k the rectangle stays. k is a
// layout row, scaled to the capture.
ScreenRect TrimBlackBorder(const Picture& grabbed, const ScreenRect& rect, const SampleScale& scale = {});

// A picture is blank when rows 152, 154, ..., 350 are black at every sample column.
bool IsBlankPicture(const Picture& picture, const SampleScale& scale = {});

// The show has ended when rows 151 to 350 are black at every sample column.
bool IsEndOfShow(const Picture& picture, const SampleScale& scale = {});
