// SPDX-License-Identifier: GPL-3.0-or-later
#include "gif/gif_animation_builder.h"

#include "core/picture_ops.h"
#include "core/slot_reader.h"
#include "core/zoom_sizes.h"
#include "gif/gif_delays.h"

#include <algorithm>
#include <cstring>
#include <future>

std::pair<int, int> GifZoomSize(int itemIndex, ZoomSize recorded)
{
    const ZoomSize size = ZoomSizeFor(itemIndex, recorded, OriginalSides::AsRecorded);
    return {size.width, size.height};
}

namespace {

// packer null: the frame is packed before this returns.
int FinishFrame(TGIFImage& animation, int index, int transparentIndex, TGIFGraphicControlExtension** control,
                int delay = GifFrameDelay, GifFramePacker* packer = nullptr)
{
    TGIFSubImage& frame = animation.Images[index];
    if (index == 0) {
        auto loop = std::make_unique<TGIFAppExtNSLoop>(&frame);
        loop->SetLoops(0);
        frame.Extensions.Add(std::move(loop));
    }
    auto gce = std::make_unique<TGIFGraphicControlExtension>(&frame);
    gce->SetDelay(static_cast<uint16_t>(delay));
    if (transparentIndex >= 0) {
        gce->SetTransparent(true);
        gce->SetTransparentColorIndex(transparentIndex);
        frame.CropToOpaque();
    }
    if (control)
        *control = gce.get();
    frame.Extensions.Add(std::move(gce));
    // Finished: from here on the frame only needs what the file holds.
    if (packer)
        packer->Pack(frame);
    else
        frame.Pack();
    return index;
}

// Colour of every index of a frame's table, comparable across tables.
void TableColors(const TGIFSubImage& frame, uint32_t (&colors)[256])
{
    std::fill(std::begin(colors), std::end(colors), 0xFF000000u);
    const int count = std::min(frame.ActiveColorCount(), 256);
    for (int i = 0; i < count; ++i) {
        const TGIFColor c = frame.ActiveColor(i);
        colors[i] = (static_cast<uint32_t>(c.Red) << 16) | (c.Green << 8) | c.Blue;
    }
}

} // namespace

int AddGifFrame(TGIFImage& animation, const TGIFImage& source, int transparentIndex, TGIFGraphicControlExtension** control)
{
    return FinishFrame(animation, animation.Add(source), transparentIndex, control);
}

int AddGifFrame(TGIFImage& animation, const Picture& source, int transparentIndex, TGIFGraphicControlExtension** control)
{
    return FinishFrame(animation, animation.Add(source), transparentIndex, control);
}

FrameComparison CompareFrames(const TGIFSubImage& current, const TGIFSubImage& previous)
{
    // A pixel is unchanged when it shows the colour it showed before. Every frame has a
    // palette of its own, so an index alone does not say that: where the tables differ the
    // colours behind the indices are compared, and the screen keeps showing exactly the
    // reduced frame under a transparent pixel.
    uint32_t now[256];
    uint32_t before[256];
    TableColors(current, now);
    TableColors(previous, before);
    const bool sameTable = std::equal(std::begin(now), std::end(now), std::begin(before));

    bool used[256] = {};
    FrameComparison result;
    const size_t n = static_cast<size_t>(current.Width()) * current.Height();
    const uint8_t* a = current.Data();
    const uint8_t* b = previous.Data();
    if (sameTable) {
        for (size_t i = 0; i < n; ++i) {
            if (a[i] == b[i])
                ++result.unchanged;
            else
                used[a[i]] = true;
        }
    } else {
        for (size_t i = 0; i < n; ++i) {
            if (now[a[i]] == before[b[i]])
                ++result.unchanged;
            else
                used[a[i]] = true;
        }
    }
    for (int t = 255; t >= 0; --t)
        if (!used[t]) {
            result.transparentIndex = t;
            break;
        }
    return result;
}

GifAnimationBuilder::GifAnimationBuilder(const std::string& spillFolder, size_t memoryBound, double framePeriodMs)
    : spillFolder_(spillFolder), memoryBound_(memoryBound), framePeriodMs_(framePeriodMs)
{
    NewAnimation();
}

void GifAnimationBuilder::NewAnimation()
{
    animation_ = std::make_unique<TGIFImage>();
    animation_->SetSpillFolder(spillFolder_, memoryBound_);
}

GifAnimationBuilder::~GifAnimationBuilder() = default;

int GifAnimationBuilder::TakeSlotDelay()
{
    return static_cast<int>(GifSlotDelay(slots_++, framePeriodMs_));
}

void GifAnimationBuilder::AddStoredSlot(Picture picture, const GifBuildOptions& options)
{
    const int delay = TakeSlotDelay();
    // A picture read and scaled once for several builds (gif_budget.h) comes at its size.
    if (picture.width() != options.width || picture.height() != options.height ||
        picture.pixelFormat() != TPixelFormat::pf24bit)
        ScaleBitmapInPlace(picture, options.width, options.height);
    if (options.highFidelity) {
        AddHighFidelityFrame(picture, options, delay);
        return;
    }
    hifi_.Forget();
    auto current = std::make_unique<TGIFImage>();
    current->PaletteMode = options.grayScale ? pmGray256 : pmOptimal;
    current->DiffusionMode = options.floydSteinberg ? dfFloydSteinberg : dfNearest;
    current->Assign(picture);
    picture = Picture();

    FrameComparison comparison;
    if (options.smallerSize && previousFrame_ && !previousFrame_->Empty() && !current->Empty()) {
        const TGIFSubImage& now = current->Images[0];
        const TGIFSubImage& before = previousFrame_->Images[0];
        // A zoom changed during the build leaves nothing to compare with.
        if (before.Height() > 0 && now.Width() == before.Width() && now.Height() == before.Height())
            comparison = CompareFrames(now, before);
    }
    AddFrame(*current, comparison, delay);
    // Kept whatever the option says, so that switching to "Smaller Size" during a build
    // compares with what is really shown.
    previousFrame_ = std::move(current);
}

void GifAnimationBuilder::AddMissingSlot(const GifBuildOptions&)
{
    ExtendDelay(TakeSlotDelay());
    // The next stored slot is added whole.
    previousFrame_.reset();
}

void GifAnimationBuilder::AddFrame(const TGIFImage& current, const FrameComparison& comparison, int delay)
{
    const long long pixels = current.Empty() ? 0 : static_cast<long long>(current.Width()) * current.Height();
    const int t = comparison.transparentIndex;
    if (pixels == comparison.unchanged && t >= 0) {
        ExtendDelay(delay);
        return;
    }
    if (pixels * 3 / 10 >= comparison.unchanged || t < 0)
        FinishFrame(*animation_, animation_->Add(current), -1, &lastFrameControl_, delay, &packer_);
    else
        AddDifferenceFrame(current, t, delay);
    GiveLeadingDelay();
}

void GifAnimationBuilder::AddHighFidelityFrame(const Picture& scaled, const GifBuildOptions& options, int delay)
{
    // The other mode's next frame has nothing to compare with.
    previousFrame_.reset();
    GifHifiFrame next = hifi_.Next(*animation_, scaled, {options.tolerance, options.colors});
    if (!next.frame) {
        ExtendDelay(delay);
        return;
    }
    const int index = animation_->Add(std::move(next.frame));
    FinishFrame(*animation_, index, next.transparentIndex, &lastFrameControl_, delay, &packer_);
    GiveLeadingDelay();
}

void GifAnimationBuilder::GiveLeadingDelay()
{
    if (leadingDelay_ > 0) {
        const long long leading = leadingDelay_;
        leadingDelay_ = 0;
        ExtendDelay(leading);
    }
}

void GifAnimationBuilder::AddDifferenceFrame(const TGIFImage& current, int transparentIndex, int delay)
{
    const TGIFSubImage& now = current.Images[0];
    const TGIFSubImage& before = previousFrame_->Images[0];
    uint32_t nowColors[256];
    uint32_t beforeColors[256];
    TableColors(now, nowColors);
    TableColors(before, beforeColors);
    Picture difference = now.IndexedPicture();
    const int width = now.Width();
    for (int y = 0; y < now.Height(); ++y) {
        uint8_t* row = difference.scanLine(y);
        const uint8_t* was = before.Data() + static_cast<size_t>(y) * width;
        for (int x = 0; x < width; ++x)
            if (nowColors[row[x]] == beforeColors[was[x]])
                row[x] = static_cast<uint8_t>(transparentIndex);
    }
    FinishFrame(*animation_, animation_->Add(difference), transparentIndex, &lastFrameControl_, delay, &packer_);
}

void GifAnimationBuilder::ExtendDelay(long long hundredths)
{
    if (!lastFrameControl_) {
        // Nothing shown yet: the first frame stays that much longer.
        leadingDelay_ += hundredths;
        return;
    }
    // The delay field holds 65535 hundredths; the rest goes to a frame that repeats the
    // picture, so a long still stretch keeps its length instead of wrapping round.
    while (hundredths > 0) {
        const long long room = kMaxGifDelay - lastFrameControl_->Delay();
        if (hundredths <= room) {
            lastFrameControl_->SetDelay(static_cast<uint16_t>(lastFrameControl_->Delay() + hundredths));
            return;
        }
        lastFrameControl_->SetDelay(kMaxGifDelay);
        hundredths -= room;
        AppendRepeatFrame();
    }
}

void GifAnimationBuilder::AppendRepeatFrame()
{
    // One transparent pixel: the screen stays as it is for the frame's delay.
    auto frame = std::make_unique<TGIFSubImage>(animation_.get());
    frame->SetWidth(1);
    frame->SetHeight(1);
    frame->ColorMap.Add({0, 0, 0});
    auto gce = std::make_unique<TGIFGraphicControlExtension>(frame.get());
    gce->SetTransparent(true);
    gce->SetTransparentColorIndex(0);
    lastFrameControl_ = gce.get();
    frame->Extensions.Add(std::move(gce));
    animation_->Add(std::move(frame));
}

std::unique_ptr<TGIFImage> GifAnimationBuilder::TakeAnimation()
{
    packer_.Finish();
    auto animation = std::move(animation_);
    NewAnimation();
    previousFrame_.reset();
    lastFrameControl_ = nullptr;
    leadingDelay_ = 0;
    slots_ = 0;
    hifi_.Reset();
    return animation;
}

namespace {

struct ReadSlot {
    bool stored = false;
    Picture picture;
};

} // namespace

std::unique_ptr<TGIFImage> BuildGifAnimation(const WorkingFiles& files, int frameCount,
                                             const GifBuildSettings& settings, const Progress& progress)
{
    GifAnimationBuilder builder(files.WorkingDirectory(), settings.memoryBound, settings.framePeriodMs);
    const SlotReader reader(files, frameCount);
    // The next stored slot's frame file is read and decompressed on a thread of its own while
    // this slot is reduced and coded; its errors come out at that slot's turn. A slot without
    // a file needs no thread.
    auto read = [&reader](int n) {
        ReadSlot result;
        result.stored = reader.Read(n, result.picture);
        return result;
    };
    auto startReading = [&](int n) {
        return std::async(reader.Stored(n) ? std::launch::async : std::launch::deferred, read, n);
    };
    std::future<ReadSlot> next;
    if (frameCount > 0)
        next = startReading(1);
    for (int k = 0; k < frameCount; ++k) {
        progress.Report(k, frameCount);
        progress.Idle();
        if (progress.Cancelled())
            throw GifCancelled();
        const GifBuildOptions options = settings.readOptions ? settings.readOptions() : GifBuildOptions{};
        ReadSlot current = next.get();
        if (k + 1 < frameCount)
            next = startReading(k + 2);
        if (current.stored)
            builder.AddStoredSlot(std::move(current.picture), options);
        else
            builder.AddMissingSlot(options);
    }
    return builder.TakeAnimation();
}
