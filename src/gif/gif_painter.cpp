// SPDX-License-Identifier: GPL-3.0-or-later
#include "gif/gif_painter.h"

#include "gif/gif_image.h"
#include "core/monotonic_clock.h"

#include <algorithm>
#include <chrono>

TGIFRenderer::TGIFRenderer(const TGIFImage& image)
    : image_(image), canvas_(image.Width(), image.Height(), TPixelFormat::pf32bit)
{
}

void TGIFRenderer::Reset()
{
    std::fill(canvas_.bits(), canvas_.bits() + canvas_.byteCount(), 0);
}

void TGIFRenderer::DrawFrame(int index)
{
    const TGIFSubImage& frame = image_.Images[index];
    if (frame.Empty())
        return;
    // Every index gets a colour; one outside the table shows entry 0, as reading it does.
    uint32_t colors[256] = {};
    const int count = std::min(frame.ActiveColorCount(), 256);
    for (int i = 0; i < 256 && count > 0; ++i) {
        const TGIFColor c = i < count ? frame.ActiveColor(i) : frame.ActiveColor(0);
        colors[i] = 0xFF000000u | (static_cast<uint32_t>(c.Red) << 16) | (c.Green << 8) | c.Blue;
    }
    const TGIFGraphicControlExtension* control = frame.GraphicControlExtension();
    const int transparent = control && control->Transparent() ? control->TransparentColorIndex() : -1;

    // Packed frames are decoded into the renderer's one buffer, so that playing keeps no
    // frame's pixels but the one drawn.
    frame.ReadPixels(pixels_);
    const int right = std::min(frame.Left() + frame.Width(), canvas_.width());
    const int bottom = std::min(frame.Top() + frame.Height(), canvas_.height());
    for (int y = frame.Top(); y < bottom; ++y) {
        const uint8_t* src = pixels_.data() + static_cast<size_t>(y - frame.Top()) * frame.Width();
        auto* dst = reinterpret_cast<uint32_t*>(canvas_.scanLine(y));
        for (int x = frame.Left(); x < right; ++x) {
            const uint8_t pixel = src[x - frame.Left()];
            if (pixel != transparent)
                dst[x] = colors[pixel];
        }
    }
}

int PreviewDelay(const TGIFSubImage& frame)
{
    const TGIFGraphicControlExtension* control = frame.GraphicControlExtension();
    const int delay = control ? control->Delay() : 0;
    if (delay == 0)
        return 10;
    return std::max(delay, 3);
}

int PreviewWaitMs(int delayHundredths, int overrunMs, int speedPercent)
{
    if (speedPercent <= 0)
        speedPercent = 100;
    return static_cast<int>((static_cast<long long>(delayHundredths) * 12 - overrunMs / 2) * 100 / speedPercent);
}

TGIFPainter::TGIFPainter(TGIFImage& image, FrameSink sink)
    : image_(&image), sink_(std::move(sink))
{
    image.AddPainter(this);
}

TGIFPainter::~TGIFPainter()
{
    Stop();
    if (image_)
        image_->RemovePainter(this);
}

void TGIFPainter::Detach()
{
    Stop();
    image_ = nullptr;
}

void TGIFPainter::Start()
{
    if (!image_ || image_->Empty() || thread_.joinable())
        return;
    if (image_->Count() == 1) {
        TGIFRenderer renderer(*image_);
        renderer.DrawFrame(0);
        sink_(renderer.Canvas(), 0);
        return;
    }
    stopping_ = false;
    thread_ = std::thread([this] { Run(); });
}

void TGIFPainter::Stop()
{
    {
        std::lock_guard guard(lock_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id())
        thread_.join();
}

bool TGIFPainter::Wait(int ms)
{
    std::unique_lock guard(lock_);
    return !wake_.wait_for(guard, std::chrono::milliseconds(ms), [this] { return stopping_.load(); });
}

void TGIFPainter::Run()
{
    TGIFRenderer renderer(*image_);
    const int count = image_->Count();
    const int speed = image_->AnimationSpeed;
    uint32_t previousShown = 0;
    int previousWait = 0;
    bool first = true;
    for (int index = 0; !stopping_; index = (index + 1) % count) {
        // Each round starts on the empty screen again.
        if (index == 0)
            renderer.Reset();
        renderer.DrawFrame(index);
        sink_(renderer.Canvas(), index);
        const uint32_t shown = MonotonicTickMs();
        const int overrun = first ? 0 : std::max(0, static_cast<int>(shown - previousShown) - previousWait);
        first = false;
        const int wait = PreviewWaitMs(PreviewDelay(image_->Images[index]), overrun, speed);
        previousShown = shown;
        previousWait = std::max(wait, 0);
        if (wait > 0 && !Wait(wait))
            break;
    }
}
