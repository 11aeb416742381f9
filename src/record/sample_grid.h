#pragma once
// Tests on the 71 sample columns x = 60, 66, ..., 480: where the presentation area is black.
// Points outside the picture count as black.

#include "core/picture.h"
#include "platform/screen_grabber.h"

// The capture rectangle of a browser frame whose panel has its top-left corner at (x0, y0)
// on the screen and the given size: 2 pixels in from the left, 6 from the top, 20 from the
// right and 9 from the bottom.
ScreenRect CaptureRectangle(int x0, int y0, int panelWidth, int panelHeight);

// True when the point (x, y) exists and its colour value is not 0.
bool IsLitPoint(const Picture& picture, int x, int y);

// True when row y has a lit point at a sample column.
bool IsLitRow(const Picture& picture, int y);

// Removes the black border: the first k of 1..100 for which row k or row h - k is lit moves
// the top down by k + 1 and the bottom up by k; without such a k the rectangle stays.
ScreenRect TrimBlackBorder(const Picture& grabbed, const ScreenRect& rect);

// A picture is blank when rows 152, 154, ..., 350 are black at every sample column.
bool IsBlankPicture(const Picture& picture);

// The show has ended when rows 151 to 350 are black at every sample column.
bool IsEndOfShow(const Picture& picture);
