// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Playback of an animated TGIFImage: frames drawn one over the other into an off-screen
// canvas on a thread of the painter's own, each handed to a sink when finished.

#include "core/picture.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class TGIFImage;
class TGIFSubImage;

// Draws frames at their position over what is already there; transparent pixels leave it.
class TGIFRenderer {
public:
    explicit TGIFRenderer(const TGIFImage& image);
    // Back to the empty screen: every pixel transparent black.
    void Reset();
    void DrawFrame(int index);
    // pf32bit, blue, green, red, alpha per pixel; the size of the logical screen.
    const Picture& Canvas() const { return canvas_; }

private:
    const TGIFImage& image_;
    Picture canvas_;
    std::vector<uint8_t> pixels_;
};

// Hundredths a frame stays in the preview: 10 without a graphic control extension or with
// delay 0, at least 3 otherwise.
int PreviewDelay(const TGIFSubImage& frame);
// Milliseconds to wait before the next frame: the preview shows a hundredth as 12 ms, makes
// up for half of the time it ran late, and runs at speedPercent of that pace.
int PreviewWaitMs(int delayHundredths, int overrunMs, int speedPercent);

class TGIFPainter {
public:
    // Receives every finished picture, on the painter's thread.
    using FrameSink = std::function<void(const Picture& canvas, int frameIndex)>;

    TGIFPainter(TGIFImage& image, FrameSink sink);
    // Stops playback and leaves the image.
    ~TGIFPainter();
    TGIFPainter(const TGIFPainter&) = delete;
    TGIFPainter& operator=(const TGIFPainter&) = delete;

    // Several frames: plays them in a loop on a new thread. One frame: draws it once here.
    void Start();
    // Wakes the thread and waits until it has ended.
    void Stop();
    bool Playing() const { return thread_.joinable() && !stopping_; }
    // Called by the image when it goes away before the painter.
    void Detach();

private:
    void Run();
    // Waits up to ms; false when asked to stop.
    bool Wait(int ms);

    TGIFImage* image_;
    FrameSink sink_;
    std::thread thread_;
    std::mutex lock_;
    std::condition_variable wake_;
    std::atomic<bool> stopping_{false};
};
