// SPDX-License-Identifier: GPL-3.0-or-later
#include "record/view_frame_source.h"

#include "record/cursor_overlay.h"
#include "record/pointer_images.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// The part of the browser view a screen grab records: all but the top 4, the right 18 and the
// bottom 7 pixels (the page's layout keeps the show out of them).
ScreenRect RecordedPartOfView(int width, int height)
{
    return {0, 4, std::max(0, width - 18), std::max(4, height - 7)};
}

void Crop(const Picture& whole, const ScreenRect& rect, Picture& part)
{
    if (part.width() != rect.width() || part.height() != rect.height())
        part.reset(rect.width(), rect.height());
    for (int y = 0; y < rect.height(); ++y) {
        uint8_t* row = part.scanLine(y);
        const int sy = rect.top + y;
        if (sy < 0 || sy >= whole.height() || rect.left >= whole.width()) {
            std::memset(row, 0, static_cast<size_t>(3) * static_cast<size_t>(rect.width()));
            continue;
        }
        const int width = std::min(rect.width(), whole.width() - rect.left);
        std::memcpy(row, whole.scanLine(sy) + 3 * rect.left, static_cast<size_t>(3) * static_cast<size_t>(width));
        std::memset(row + 3 * width, 0, static_cast<size_t>(3) * static_cast<size_t>(rect.width() - width));
    }
}

} // namespace

ViewFrameSource::ViewFrameSource(ShowRenderer& renderer)
    : renderer_(renderer)
{
}

void ViewFrameSource::BeginSession()
{
    renderer_.HoldClock();
    renderer_.Advance(0);
    renderer_.Render(view_);
    const ScreenRect untrimmed = RecordedPartOfView(view_.width(), view_.height());
    scale_ = SampleScale::ForCapture(untrimmed);
    Picture part;
    Crop(view_, untrimmed, part);
    // The trim works on the part's own coordinates; the rectangle is moved back into the view's.
    const ScreenRect local{0, 0, untrimmed.width(), untrimmed.height()};
    const ScreenRect trimmed = TrimBlackBorder(part, local, scale_);
    rect_ = {untrimmed.left + trimmed.left, untrimmed.top + trimmed.top, untrimmed.left + trimmed.right,
             untrimmed.top + trimmed.bottom};
    // The trim steps over lit rows at the slide's edges (its first always, more where the
    // sample grid is coarser than a pixel, as at HD sizes): a rendered view has no noisy edge
    // and its bars are black, so every lit row next to the kept rectangle is the slide's own.
    while (rect_.top > untrimmed.top && IsLitRow(view_, rect_.top - 1, scale_))
        --rect_.top;
    while (rect_.bottom < untrimmed.bottom && IsLitRow(view_, rect_.bottom, scale_))
        ++rect_.bottom;
    // A show that opens in black (a transition through black into its first slide) has no lit
    // row to trim by: the rows are the ones the page laid the slide out in.
    const ScreenRect area = renderer_.SlideArea();
    if (IsBlankPicture(part, scale_) && area.height() > 0) {
        rect_.top = std::clamp(area.top, untrimmed.top, untrimmed.bottom);
        rect_.bottom = std::clamp(area.bottom, rect_.top, untrimmed.bottom);
    }
    haveLast_ = false;
}

void ViewFrameSource::Grab(Picture& picture)
{
    if (haveLast_ && !renderer_.ChangedSinceRender()) {
        picture = last_;
        return;
    }
    renderer_.Render(view_);
    Crop(view_, rect_, picture);
    last_ = picture;
    haveLast_ = true;
}

void ViewFrameSource::DrawPointer(Picture& picture)
{
    if (!pointer_)
        return;
    // The log places the pointer on the slide; the slide's place in the view comes from the
    // page, or is the recorded part itself when the page did not say.
    ScreenRect area = renderer_.SlideArea();
    if (area.width() <= 0 || area.height() <= 0)
        area = rect_;
    const int x = area.left + static_cast<int>(std::lround(pointer_->x * (area.width() - 1))) - rect_.left;
    const int y = area.top + static_cast<int>(std::lround(pointer_->y * (area.height() - 1))) - rect_.top;
    DrawCursorOverlay(picture, x, y, PointerImage(pointer_->shape));
}
