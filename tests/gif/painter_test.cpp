// SPDX-License-Identifier: GPL-3.0-or-later
// Playback: the timing rules of the preview and the frames it draws.
#include "gif/gif_animation_builder.h"
#include "gif/gif_image.h"
#include "gif/gif_painter.h"

#include <chrono>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>

namespace {

Picture Flat(int width, int height, uint8_t index)
{
    Picture p(width, height, TPixelFormat::pf8bit);
    std::fill(p.bits(), p.bits() + p.byteCount(), index);
    p.palette() = {0x112233, 0x445566, 0x778899};
    return p;
}

uint32_t At(const Picture& canvas, int x, int y)
{
    return reinterpret_cast<const uint32_t*>(canvas.scanLine(y))[x];
}

} // namespace

TEST(Playback, DelayAndWaitRules)
{
    TGIFImage image;
    image.Add(Flat(2, 2, 0));
    EXPECT_EQ(PreviewDelay(image.Images[0]), 10); // no control extension
    auto control = std::make_unique<TGIFGraphicControlExtension>(&image.Images[0]);
    TGIFGraphicControlExtension* c = control.get();
    image.Images[0].Extensions.Add(std::move(control));
    EXPECT_EQ(PreviewDelay(image.Images[0]), 10); // delay 0
    c->SetDelay(2);
    EXPECT_EQ(PreviewDelay(image.Images[0]), 3);
    c->SetDelay(15);
    EXPECT_EQ(PreviewDelay(image.Images[0]), 15);

    EXPECT_EQ(PreviewWaitMs(15, 0, 100), 180);
    EXPECT_EQ(PreviewWaitMs(15, 41, 100), 160); // half the overrun, truncated
    EXPECT_EQ(PreviewWaitMs(15, 0, 200), 90);
    EXPECT_LE(PreviewWaitMs(3, 100, 100), 0);
}

TEST(Playback, FramesAreDrawnOverWhatIsShown)
{
    TGIFImage image;
    AddGifFrame(image, Flat(4, 3, 0), -1);
    Picture second = Flat(4, 3, 2);
    second.scanLine(1)[2] = 1;
    AddGifFrame(image, second, 2); // only (2, 1) is drawn
    TGIFRenderer renderer(image);
    renderer.Reset();
    EXPECT_EQ(At(renderer.Canvas(), 0, 0), 0u);
    renderer.DrawFrame(0);
    EXPECT_EQ(At(renderer.Canvas(), 3, 2), 0xFF112233u);
    renderer.DrawFrame(1);
    EXPECT_EQ(At(renderer.Canvas(), 2, 1), 0xFF445566u);
    EXPECT_EQ(At(renderer.Canvas(), 1, 1), 0xFF112233u);
}

TEST(Playback, PainterLoopsAndStopsWhenTheImageGoes)
{
    auto image = std::make_unique<TGIFImage>();
    for (uint8_t i = 0; i < 3; ++i) {
        TGIFGraphicControlExtension* control = nullptr;
        AddGifFrame(*image, Flat(2, 2, i), -1, &control);
        control->SetDelay(1); // counts as 3: 36 ms
    }
    std::mutex m;
    std::condition_variable cv;
    std::vector<int> order;
    std::vector<uint32_t> colors;
    TGIFPainter painter(*image, [&](const Picture& canvas, int index) {
        std::lock_guard lock(m);
        order.push_back(index);
        colors.push_back(At(canvas, 0, 0));
        cv.notify_all();
    });
    painter.Start();
    EXPECT_TRUE(painter.Playing());
    {
        std::unique_lock lock(m);
        ASSERT_TRUE(cv.wait_for(lock, std::chrono::seconds(5), [&] { return order.size() >= 5; }));
        EXPECT_EQ(std::vector<int>(order.begin(), order.begin() + 5), (std::vector<int>{0, 1, 2, 0, 1}));
        EXPECT_EQ(colors[2], 0xFF778899u);
    }
    image.reset(); // releasing the image stops its painter
    EXPECT_FALSE(painter.Playing());
}
