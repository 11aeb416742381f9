// SPDX-License-Identifier: GPL-3.0-or-later
// SaveFrame and LoadFrame of a capture-sized frame: the recorder has 150 ms per slot.
#include "core/frame_store.h"
#include "core/working_files.h"
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
    }
    ~BenchFolder() { std::filesystem::remove_all(folder); }
    WorkingFiles files() const { return WorkingFiles::InProgramFolder(folder.string()); }
    std::filesystem::path folder;
};

void BM_SaveFrame(benchmark::State& state, Picture (*make)())
{
    BenchFolder folder;
    const Picture picture = make();
    for (auto _ : state)
        SaveFrame(folder.files(), picture, 1);
    state.counters["file_KB"] = static_cast<double>(std::filesystem::file_size(folder.files().FrameFilePath(1))) / 1024.0;
}

void BM_LoadFrame(benchmark::State& state, Picture (*make)())
{
    BenchFolder folder;
    SaveFrame(folder.files(), make(), 1);
    Picture loaded;
    for (auto _ : state)
        LoadFrame(folder.files(), 1, loaded);
}

Picture TextPage() { return TextPagePicture(); }
Picture Noise() { return NoisePicture(); }

} // namespace

BENCHMARK_CAPTURE(BM_SaveFrame, text_page, TextPage)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SaveFrame, noise, Noise)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LoadFrame, text_page, TextPage)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LoadFrame, noise, Noise)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
