// SPDX-License-Identifier: GPL-3.0-or-later
// GIF export of a full-length (9999-slot) session at 560 x 420, "Nearest": "Best Quality" and
// "Smaller Size", build and save to a file. Reports the process's peak resident memory during
// the export (the high-water mark is reset after the recording is generated) and the stored
// frames exported per second (wall clock, and CPU seconds of all threads: the build reads the
// next frame file and codes the last finished frame on threads of their own, so on a busy
// machine the wall clock says little).
#include "gif/gif_animation_builder.h"
#include "gif/gif_image.h"
#include "gif/gif_save.h"
#include "long_recording.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <sys/resource.h>

namespace {

const LongRecording& Recording()
{
    static const LongRecording recording;
    return recording;
}

// VmHWM of /proc/self/status in MB.
double PeakRssMb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    return -1;
}

double ProcessCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void ResetPeakRss()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

void BM_GifLongExport(benchmark::State& state)
{
    const LongRecording& recording = Recording();
    const std::string output = recording.folder() + "out.gif";
    for (auto _ : state) {
        ResetPeakRss();
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = ProcessCpuSeconds();
        GifBuildSettings settings;
        settings.readOptions = [&] {
            GifBuildOptions options;
            options.smallerSize = state.range(0) != 0;
            return options;
        };
        auto animation = BuildGifAnimation(recording.files(), recording.frameCount(), settings);
        SaveGifFile(*animation, output);
        const double cpuSeconds = ProcessCpuSeconds() - cpuStart;
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.counters["frames"] = animation->Count();
        animation.reset();
        state.counters["peak_RSS_MB"] = PeakRssMb();
        state.counters["stored_frames_per_s"] = recording.storedFrames() / seconds;
        state.counters["all_threads_cpu_s"] = cpuSeconds;
        std::FILE* f = std::fopen(output.c_str(), "rb");
        if (f) {
            std::fseek(f, 0, SEEK_END);
            state.counters["gif_MB"] = static_cast<double>(std::ftell(f)) / 1e6;
            std::fclose(f);
        }
    }
    std::remove(output.c_str());
}

} // namespace

BENCHMARK(BM_GifLongExport)->ArgName("smaller")->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_MAIN();
