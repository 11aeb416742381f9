// SPDX-License-Identifier: GPL-3.0-or-later
#include "record/sample_grid.h"

namespace {
constexpr int kFirstSampleColumn = 60;
constexpr int kLastSampleColumn = 480;
constexpr int kSampleStep = 6;
// Panel1 around the capture rectangle: 2 + 20 pixels across, 6 + 9 down.
constexpr int kPanelExtraWidth = 22;
constexpr int kPanelExtraHeight = 15;

// value x size / layout, to the nearest integer; exact when size == layout.
int Scaled(int value, int size, int layout)
{
    const long long twice = 2LL * value * size + layout;
    return static_cast<int>(twice / (2LL * layout));
}
} // namespace

SampleScale SampleScale::ForCapture(const ScreenRect& capture)
{
    if (capture.width() <= 0 || capture.height() <= 0)
        return {};
    return {capture.width(), capture.height()};
}

int SampleScale::X(int layoutX) const
{
    return Scaled(layoutX, captureWidth, kLayoutWidth);
}

int SampleScale::Y(int layoutY) const
{
    return Scaled(layoutY, captureHeight, kLayoutHeight);
}

ScreenRect CaptureRectangle(int x0, int y0, int panelWidth, int panelHeight)
{
    return {x0 + 2, y0 + 6, x0 + panelWidth - 20, y0 + panelHeight - 9};
}

int PanelWidthFor(int captureWidth)
{
    return captureWidth + kPanelExtraWidth;
}

int PanelHeightFor(int captureHeight)
{
    return captureHeight + kPanelExtraHeight;
}

bool IsLitPoint(const Picture& picture, int x, int y)
{
    if (x < 0 || y < 0 || x >= picture.width() || y >= picture.height())
        return false;
    const uint8_t* px = picture.scanLine(y) + 3 * x;
    return (px[0] | px[1] | px[2]) != 0;
}

bool IsLitRow(const Picture& picture, int y, const SampleScale& scale)
{
    if (y < 0 || y >= picture.height())
        return false;
    for (int x = kFirstSampleColumn; x <= kLastSampleColumn; x += kSampleStep)
        if (IsLitPoint(picture, scale.X(x), y))
            return true;
    return false;
}

ScreenRect TrimBlackBorder(const Picture& grabbed, const ScreenRect& rect, const SampleScale& scale)
{
    const int h = rect.height();
    for (int k = 1; k <= 100; ++k) {
        const int row = scale.Y(k);
        if (IsLitRow(grabbed, row, scale) || IsLitRow(grabbed, h - row, scale)) {
            ScreenRect trimmed = rect;
            trimmed.top += row + 1;
            trimmed.bottom -= row;
            return trimmed;
        }
    }
    return rect;
}

bool IsBlankPicture(const Picture& picture, const SampleScale& scale)
{
    for (int k = 1; k <= 100; ++k)
        if (IsLitRow(picture, scale.Y(150 + 2 * k), scale))
            return false;
    return true;
}

bool IsEndOfShow(const Picture& picture, const SampleScale& scale)
{
    for (int k = 1; k <= 200; ++k)
        if (IsLitRow(picture, scale.Y(150 + k), scale))
            return false;
    return true;
}
