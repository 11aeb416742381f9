// SaveFrame and LoadFrame of a capture-sized frame: the recorder has 150 ms per slot.
#include "app/frame_store.h"
#include "app/working_files.h"
#include "bench_pictures.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <unistd.h>

namespace {

struct BenchFolder {
    BenchFolder()
    {
        folder = std::filesystem::temp_directory_path() / ("deckrec-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder / "temp");
        SetProgramFolderForTesting(folder.string());
    }
    ~BenchFolder() { std::filesystem::remove_all(folder); }
    std::filesystem::path folder;
};

void BM_SaveFrame(benchmark::State& state, Picture (*make)())
{
    BenchFolder folder;
    const Picture picture = make();
    for (auto _ : state)
        SaveFrame(picture, 1);
    state.counters["file_KB"] = static_cast<double>(std::filesystem::file_size(FrameFilePath(1))) / 1024.0;
}

void BM_LoadFrame(benchmark::State& state, Picture (*make)())
{
    BenchFolder folder;
    SaveFrame(make(), 1);
    Picture loaded;
    for (auto _ : state)
        LoadFrame(1, loaded);
}

Picture TextPage() { return TextPagePicture(); }
Picture Noise() { return NoisePicture(); }

} // namespace

BENCHMARK_CAPTURE(BM_SaveFrame, text_page, TextPage)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SaveFrame, noise, Noise)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LoadFrame, text_page, TextPage)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LoadFrame, noise, Noise)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
