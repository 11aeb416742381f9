// SPDX-License-Identifier: GPL-3.0-or-later
// One recorder slot on a real X display: pointer, grab, cursor, blank test, comparison and,
// for a changed picture, the frame file. Run under X (scripts/test-services.sh start_display);
// without a display the grab is a copy from memory. Each case runs at the classic capture size,
// 595 x 466, and at 1920 x 1080 (a display of at least that size).
#include "core/frame_store.h"
#include "core/working_files.h"
#include "bench_pictures.h"
#include "platform/x11/x11_cursor_source.h"
#include "platform/x11/x11_screen_grabber.h"
#include "platform/x11/xtest_input_injector.h"
#include "record/frame_recorder.h"
#include "record/screen_frame_source.h"

#include <benchmark/benchmark.h>
#include <cstring>
#include <filesystem>
#include <unistd.h>
// Xlib's macros clash with other headers' names: it comes last.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

struct BenchFolder {
    BenchFolder()
    {
        folder = std::filesystem::temp_directory_path() / ("deckrec-slot-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder / "temp");
    }
    ~BenchFolder() { std::filesystem::remove_all(folder); }
    WorkingFiles files() const { return WorkingFiles::InProgramFolder(folder.string()); }
    std::filesystem::path folder;
};

// A window at (0, 0) showing a text page, so that the grab reads a realistic slide.
class SlideWindow {
public:
    SlideWindow(int width, int height)
        : width_(width)
        , height_(height)
    {
        display_ = XOpenDisplay(nullptr);
        if (!display_)
            return;
        const int screen = DefaultScreen(display_);
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True; // placed exactly, above the rest
        window_ = XCreateWindow(display_, RootWindow(display_, screen), 0, 0, width_, height_, 0, CopyFromParent,
            InputOutput, CopyFromParent, CWOverrideRedirect, &attributes);
        XMapRaised(display_, window_);
        gc_ = XCreateGC(display_, window_, 0, nullptr);
        XSync(display_, False);
        usleep(100000);
    }
    ~SlideWindow()
    {
        if (!display_)
            return;
        XFreeGC(display_, gc_);
        XDestroyWindow(display_, window_);
        XCloseDisplay(display_);
    }
    bool ok() const { return display_ != nullptr; }

    void show(const Picture& page)
    {
        std::vector<uint32_t> pixels(static_cast<size_t>(width_) * height_);
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) {
                const uint8_t* px = page.scanLine(y) + 3 * x;
                pixels[static_cast<size_t>(y) * width_ + x] = px[2] << 16 | px[1] << 8 | px[0];
            }
        const int screen = DefaultScreen(display_);
        XImage* image = XCreateImage(display_, DefaultVisual(display_, screen), DefaultDepth(display_, screen), ZPixmap, 0,
            reinterpret_cast<char*>(pixels.data()), width_, height_, 32, 0);
        XPutImage(display_, window_, gc_, image, 0, 0, 0, 0, width_, height_);
        image->data = nullptr;
        XDestroyImage(image);
        XSync(display_, False);
    }

private:
    int width_;
    int height_;
    Display* display_ = nullptr;
    Window window_ = 0;
    GC gc_ = nullptr;
};

// Without a display: the "screen" is a picture in memory.
class MemoryScreen : public ScreenGrabber {
public:
    void GrabScreen(Picture& picture, const ScreenRect& rect) override
    {
        if (picture.width() != rect.width() || picture.height() != rect.height())
            picture.reset(rect.width(), rect.height());
        std::memcpy(picture.bits(), shown.bits(), std::min(picture.byteCount(), shown.byteCount()));
    }
    Picture shown;
};

// The show at a fixed place of the screen.
class FixedShow : public ShowOnScreen {
public:
    explicit FixedShow(ScreenRect rect) : rect_(rect) {}
    ScreenRect CaptureRect() const override { return rect_; }
    QPoint ClickPoint() const override { return {rect_.left + rect_.width() / 2, rect_.top + rect_.height() / 2}; }
    PageState State() const override { return PageState::Slide; }

private:
    ScreenRect rect_;
};

void RunSlots(benchmark::State& state, bool changing)
{
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    BenchFolder folder;
    const Picture pages[2] = {TextPagePicture(width, height, 0), TextPagePicture(width, height, 1)};
    SlideWindow window(width, height);
    X11ScreenGrabber x11;
    MemoryScreen memory;
    ScreenGrabber& grabber = window.ok() ? static_cast<ScreenGrabber&>(x11) : memory;
    X11CursorSource cursor;
    XTestInputInjector input;
    input.SetCursorPos({300, 200}); // over the slide, so the cursor is drawn into it
    const FixedShow place({0, 0, width, height});
    ScreenFrameSource source(grabber, cursor, input, place);
    FrameRecorder recorder(source, folder.files());

    auto show = [&](int page) {
        if (window.ok())
            window.show(pages[page]);
        else
            memory.shown = pages[page];
    };
    show(0);
    source.BeginSession();
    recorder.CaptureSlot(1, true);
    int slot = 2;
    int stored = 0;
    for (auto _ : state) {
        if (changing) {
            state.PauseTiming();
            show(slot % 2);
            state.ResumeTiming();
        }
        stored += recorder.CaptureSlot(slot, true) == FrameRecorder::SlotResult::Stored;
        ++slot;
    }
    state.counters["stored_share"] = static_cast<double>(stored) / static_cast<double>(state.iterations());
    state.SetLabel(window.ok() ? "X11 grab" : "memory grab (no display)");
}

void BM_SlotUnchangedPicture(benchmark::State& state)
{
    RunSlots(state, false);
}

void BM_SlotChangedTextPage(benchmark::State& state)
{
    RunSlots(state, true);
}

void BM_GrabOnly(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    SlideWindow window(width, height);
    X11ScreenGrabber grabber;
    Picture picture;
    for (auto _ : state)
        grabber.GrabScreen(picture, {0, 0, width, height});
    state.SetLabel(window.ok() ? "X11 grab" : "no display");
}

// The frame file alone (BMP image, zlib level 1, write): the part of a changed slot that grows
// with the picture beside the grab.
void BM_StoreOnly(benchmark::State& state)
{
    BenchFolder folder;
    const Picture page = TextPagePicture(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), 0);
    int slot = 1;
    for (auto _ : state)
        SaveFrame(folder.files(), page, slot++);
}

} // namespace

// Capture sizes: the classic one and the largest HD choice.
void CaptureSizes(benchmark::internal::Benchmark* bench)
{
    bench->ArgNames({"w", "h"})->Args({595, 466})->Args({1920, 1080})->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_SlotUnchangedPicture)->Apply(CaptureSizes);
BENCHMARK(BM_SlotChangedTextPage)->Apply(CaptureSizes);
BENCHMARK(BM_GrabOnly)->Apply(CaptureSizes);
BENCHMARK(BM_StoreOnly)->Apply(CaptureSizes);
BENCHMARK_MAIN();
