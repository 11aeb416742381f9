// One recorder slot on a real X display: pointer, grab, cursor, blank test, comparison and,
// for a changed picture, the frame file. Run under X (scripts/test-services.sh start_display);
// without a display the grab is a copy from memory.
#include "core/working_files.h"
#include "bench_pictures.h"
#include "platform/x11_cursor_source.h"
#include "platform/x11_screen_grabber.h"
#include "platform/xtest_input_injector.h"
#include "record/frame_recorder.h"

#include <benchmark/benchmark.h>
#include <cstring>
#include <filesystem>
#include <unistd.h>
// Xlib's macros clash with other headers' names: it comes last.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

constexpr int kWidth = 595;
constexpr int kHeight = 466;

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
    SlideWindow()
    {
        display_ = XOpenDisplay(nullptr);
        if (!display_)
            return;
        const int screen = DefaultScreen(display_);
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True; // placed exactly, above the rest
        window_ = XCreateWindow(display_, RootWindow(display_, screen), 0, 0, kWidth, kHeight, 0, CopyFromParent,
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
        std::vector<uint32_t> pixels(static_cast<size_t>(kWidth) * kHeight);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const uint8_t* px = page.scanLine(y) + 3 * x;
                pixels[static_cast<size_t>(y) * kWidth + x] = px[2] << 16 | px[1] << 8 | px[0];
            }
        const int screen = DefaultScreen(display_);
        XImage* image = XCreateImage(display_, DefaultVisual(display_, screen), DefaultDepth(display_, screen), ZPixmap, 0,
            reinterpret_cast<char*>(pixels.data()), kWidth, kHeight, 32, 0);
        XPutImage(display_, window_, gc_, image, 0, 0, 0, 0, kWidth, kHeight);
        image->data = nullptr;
        XDestroyImage(image);
        XSync(display_, False);
    }

private:
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

void RunSlots(benchmark::State& state, bool changing)
{
    BenchFolder folder;
    const Picture pages[2] = {TextPagePicture(kWidth, kHeight, 0), TextPagePicture(kWidth, kHeight, 1)};
    SlideWindow window;
    X11ScreenGrabber x11;
    MemoryScreen memory;
    ScreenGrabber& grabber = window.ok() ? static_cast<ScreenGrabber&>(x11) : memory;
    X11CursorSource cursor;
    XTestInputInjector input;
    input.SetCursorPos({300, 200}); // over the slide, so the cursor is drawn into it
    FrameRecorder recorder(grabber, cursor, input, folder.files());
    const ScreenRect rect{0, 0, kWidth, kHeight};

    auto show = [&](int page) {
        if (window.ok())
            window.show(pages[page]);
        else
            memory.shown = pages[page];
    };
    show(0);
    recorder.CaptureSlot(rect, 1, true);
    int slot = 2;
    int stored = 0;
    for (auto _ : state) {
        if (changing) {
            state.PauseTiming();
            show(slot % 2);
            state.ResumeTiming();
        }
        stored += recorder.CaptureSlot(rect, slot, true) == FrameRecorder::SlotResult::Stored;
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
    SlideWindow window;
    X11ScreenGrabber grabber;
    Picture picture;
    for (auto _ : state)
        grabber.GrabScreen(picture, {0, 0, kWidth, kHeight});
    state.SetLabel(window.ok() ? "X11 grab" : "no display");
}

} // namespace

BENCHMARK(BM_SlotUnchangedPicture)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SlotChangedTextPage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GrabOnly)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
