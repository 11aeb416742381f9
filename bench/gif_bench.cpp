// SPDX-License-Identifier: GPL-3.0-or-later
// GIF export speed and memory on recording-like content: text slides with a moving cursor,
// captured at 595 x 466 and scaled to 560 x 420.
//  - LZW encoding against giflib's encoder (EGifPutLine) on the same indexed frames;
//  - the whole build (scale, reduce, compare, crop, encode) in frames per second;
//  - peak heap while building an animation of 1000 stored slots.
#include "bench_pictures.h"
#include "gif/gif_animation_builder.h"
#include "gif/gif_image.h"
#include "gif/lzw_encoder.h"

#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <malloc.h>
#include <new>
#include <vector>

// Live and peak heap bytes of the whole process, counted in the global allocator.
namespace {
std::atomic<long long> g_live{0};
std::atomic<long long> g_peak{0};

void* CountedAlloc(size_t size)
{
    void* p = std::malloc(size ? size : 1);
    if (!p)
        throw std::bad_alloc();
    const long long live = g_live += static_cast<long long>(malloc_usable_size(p));
    long long peak = g_peak.load();
    while (live > peak && !g_peak.compare_exchange_weak(peak, live)) {
    }
    return p;
}

void CountedFree(void* p)
{
    if (!p)
        return;
    g_live -= static_cast<long long>(malloc_usable_size(p));
    std::free(p);
}
} // namespace

void* operator new(size_t size) { return CountedAlloc(size); }
void* operator new[](size_t size) { return CountedAlloc(size); }
void operator delete(void* p) noexcept { CountedFree(p); }
void operator delete[](void* p) noexcept { CountedFree(p); }
void operator delete(void* p, size_t) noexcept { CountedFree(p); }
void operator delete[](void* p, size_t) noexcept { CountedFree(p); }

namespace {

// Slot k of a recording: the slide changes every 25 slots, the cursor moves every slot.
Picture RecordedSlot(int k)
{
    Picture p = TextPagePicture(595, 466, k / 25);
    const int cx = 40 + (k * 23) % 480;
    const int cy = 90 + (k * 17) % 330;
    for (int y = cy; y < cy + 19; ++y)
        for (int x = cx; x < cx + 12 - (y - cy) / 2; ++x) {
            uint8_t* px = p.scanLine(y) + 3 * x;
            const bool rim = x == cx || y == cy + 18;
            px[0] = px[1] = px[2] = rim ? 255 : 0;
        }
    return p;
}

struct IndexedFrame {
    std::vector<uint8_t> pixels;
    std::vector<GifColorType> colors;
    int width = 0;
    int height = 0;
};

// The frames as the build reduces them: 560 x 420, octree palette, nearest colour.
const std::vector<IndexedFrame>& IndexedFrames(bool noise)
{
    static std::vector<IndexedFrame> text, random;
    std::vector<IndexedFrame>& frames = noise ? random : text;
    if (!frames.empty())
        return frames;
    for (int k = 0; k < 8; ++k) {
        Picture picture = noise ? NoisePicture(560, 420, static_cast<unsigned>(k + 1)) : RecordedSlot(k * 7);
        GifAnimationBuilder builder;
        GifBuildOptions options;
        options.smallerSize = false;
        builder.AddStoredSlot(std::move(picture), options);
        auto animation = builder.TakeAnimation();
        const TGIFSubImage& f = animation->Images[0];
        IndexedFrame frame;
        frame.width = f.Width();
        frame.height = f.Height();
        frame.pixels.assign(f.Data(), f.Data() + static_cast<size_t>(f.Width()) * f.Height());
        for (int i = 0; i < 256; ++i)
            frame.colors.push_back({f.ColorMap[i].Red, f.ColorMap[i].Green, f.ColorMap[i].Blue});
        frames.push_back(std::move(frame));
    }
    return frames;
}

// Output that only counts, so that no benchmark measures a growing buffer.
class CountingOutput : public GifOutput {
public:
    void Write(const void*, size_t count) override { bytes += count; }
    size_t bytes = 0;
};

int CountGiflibBytes(GifFileType* gif, const GifByteType*, int count)
{
    *static_cast<size_t*>(gif->UserData) += static_cast<size_t>(count);
    return count;
}

void BM_LzwEncode(benchmark::State& state)
{
    const auto& frames = IndexedFrames(state.range(0) != 0);
    size_t k = 0;
    CountingOutput out;
    for (auto _ : state) {
        const IndexedFrame& f = frames[k++ % frames.size()];
        TLZWEncoder encoder;
        encoder.EncodeImage(out, 8, 256, f.pixels.data(), f.height, f.width);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 560 * 420);
    state.counters["KB_per_frame"] = static_cast<double>(out.bytes) / 1024.0 / static_cast<double>(state.iterations());
}

// The same frames through giflib: screen descriptor, image descriptor with the local table,
// all pixels through EGifPutLine, trailer.
void BM_GiflibEncode(benchmark::State& state)
{
    const auto& frames = IndexedFrames(state.range(0) != 0);
    size_t k = 0;
    size_t bytes = 0;
    for (auto _ : state) {
        IndexedFrame& f = const_cast<IndexedFrame&>(frames[k++ % frames.size()]);
        int error = 0;
        GifFileType* gif = EGifOpen(&bytes, CountGiflibBytes, &error);
        ColorMapObject* map = GifMakeMapObject(256, f.colors.data());
        EGifPutScreenDesc(gif, f.width, f.height, 8, 0, nullptr);
        EGifPutImageDesc(gif, 0, 0, f.width, f.height, false, map);
        for (int y = 0; y < f.height; ++y)
            EGifPutLine(gif, f.pixels.data() + static_cast<size_t>(y) * f.width, f.width);
        EGifCloseFile(gif, &error);
        GifFreeMapObject(map);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 560 * 420);
    state.counters["KB_per_frame"] = static_cast<double>(bytes) / 1024.0 / static_cast<double>(state.iterations());
}

// Scale, reduce, compare, crop and encode: one animation of 50 slots per iteration.
void BM_BuildFrames(benchmark::State& state)
{
    static std::vector<Picture> pictures;
    if (pictures.empty())
        for (int k = 0; k < 50; ++k)
            pictures.push_back(RecordedSlot(k));
    GifBuildOptions options;
    options.floydSteinberg = state.range(0) != 0;
    options.smallerSize = state.range(1) != 0;
    size_t bytes = 0;
    for (auto _ : state) {
        GifAnimationBuilder builder;
        for (const Picture& picture : pictures)
            builder.AddStoredSlot(picture, options);
        auto animation = builder.TakeAnimation();
        CountingOutput out;
        animation->SaveToStream(out);
        bytes = out.bytes;
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * pictures.size()));
    state.counters["frames_per_s"] = benchmark::Counter(static_cast<double>(state.iterations() * pictures.size()), benchmark::Counter::kIsRate);
    state.counters["gif_KB"] = static_cast<double>(bytes) / 1024.0;
}

// Peak heap of a 1000-slot build with every slot stored, and of writing the result.
void BM_BuildMemory1000(benchmark::State& state)
{
    GifBuildOptions options;
    options.smallerSize = state.range(0) != 0;
    for (auto _ : state) {
        const long long base = g_live.load();
        g_peak = base;
        GifAnimationBuilder builder;
        for (int k = 0; k < 1000; ++k)
            builder.AddStoredSlot(RecordedSlot(k), options);
        auto animation = builder.TakeAnimation();
        const long long held = g_live.load() - base;
        CountingOutput out;
        animation->SaveToStream(out);
        state.counters["peak_MB"] = static_cast<double>(g_peak.load() - base) / 1e6;
        state.counters["animation_MB"] = static_cast<double>(held) / 1e6;
        state.counters["frames"] = animation->Count();
        state.counters["gif_KB"] = static_cast<double>(out.bytes) / 1024.0;
    }
}

} // namespace

BENCHMARK(BM_LzwEncode)->ArgName("noise")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GiflibEncode)->ArgName("noise")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildFrames)
    ->ArgNames({"floyd", "smaller"})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildMemory1000)->ArgName("smaller")->Arg(1)->Arg(0)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
