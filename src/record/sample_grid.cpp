#include "record/sample_grid.h"

namespace {
constexpr int kFirstSampleColumn = 60;
constexpr int kLastSampleColumn = 480;
constexpr int kSampleStep = 6;
} // namespace

ScreenRect CaptureRectangle(int x0, int y0, int panelWidth, int panelHeight)
{
    return {x0 + 2, y0 + 6, x0 + panelWidth - 20, y0 + panelHeight - 9};
}

bool IsLitPoint(const Picture& picture, int x, int y)
{
    if (x < 0 || y < 0 || x >= picture.width() || y >= picture.height())
        return false;
    const uint8_t* px = picture.scanLine(y) + 3 * x;
    return (px[0] | px[1] | px[2]) != 0;
}

bool IsLitRow(const Picture& picture, int y)
{
    if (y < 0 || y >= picture.height())
        return false;
    for (int x = kFirstSampleColumn; x <= kLastSampleColumn; x += kSampleStep)
        if (IsLitPoint(picture, x, y))
            return true;
    return false;
}

ScreenRect TrimBlackBorder(const Picture& grabbed, const ScreenRect& rect)
{
    const int h = rect.height();
    for (int k = 1; k <= 100; ++k) {
        if (IsLitRow(grabbed, k) || IsLitRow(grabbed, h - k)) {
            ScreenRect trimmed = rect;
            trimmed.top += k + 1;
            trimmed.bottom -= k;
            return trimmed;
        }
    }
    return rect;
}

bool IsBlankPicture(const Picture& picture)
{
    for (int k = 1; k <= 100; ++k)
        if (IsLitRow(picture, 150 + 2 * k))
            return false;
    return true;
}

bool IsEndOfShow(const Picture& picture)
{
    for (int k = 1; k <= 200; ++k)
        if (IsLitRow(picture, 150 + k))
            return false;
    return true;
}
