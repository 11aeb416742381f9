// SPDX-License-Identifier: GPL-3.0-or-later
// AVI export of a recorded session end to end: frame store read, stretch, compression as the
// frames come, closing save. 1000 slots of text slides at the capture size, every other slot
// missing (a slot the recorder did not store), exported at 560 x 420.
#include "core/frame_store.h"
#include "core/working_files.h"
#include "video/avi_export.h"
#include "video/avi_writer.h"
#include "platform/ffmpeg/ffmpeg_encoder_facility.h"
#include "bench_pictures.h"

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr int kSlots = 1000;

// A program folder holding the session's frame files, made once and removed at exit.
struct Session {
    Session() : path((fs::temp_directory_path() / "deckrec-avi-bench/").string())
    {
        fs::create_directories(path + "temp");
        for (int slot = 1; slot <= kSlots; slot += 2)
            SaveFrame(files(), TextPagePicture(595, 466, slot / 2), slot);
    }
    ~Session()
    {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    WorkingFiles files() const { return WorkingFiles::InProgramFolder(path); }
    std::string path;
};

const Session& TheSession()
{
    static const Session session;
    return session;
}

void Export(benchmark::State& state, const std::string& code)
{
    const WorkingFiles files = TheSession().files();
    FfmpegEncoderFacility encoders;
    TAviWriter_2 writer(encoders);
    writer.Width = 560;
    writer.Height = 420;
    writer.FrameTime = 150;
    writer.filename = files.WorkingDirectory() + "tempdeckrec.avi";
    writer.TempFileName = files.WorkingDirectory() + "~AWTemptempdeckrec.avi";
    writer.SelectCompressor(code);
    writer.SetQuality(4000); // "Medium Quality", the page's default
    uintmax_t temporaryBytes = 0;
    double framesSeconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        writer.OpenVideo();
        AppendFrameSlots(writer, files, kSlots, nullptr);
        writer.EndFrames();
        framesSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        // The video as it stands after the frames: all the disk the export takes.
        temporaryBytes = fs::file_size(writer.TempFileName);
        writer.CloseVideo();
    }
    const double seconds = framesSeconds; // of the last run, as the counters below
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["slots_per_s"] = benchmark::Counter(static_cast<double>(kSlots) * state.iterations(),
                                                       benchmark::Counter::kIsRate);
    state.counters["frame_phase_s"] = seconds;
    state.counters["temp_MB"] = static_cast<double>(temporaryBytes) / 1e6;
    state.counters["output_MB"] = static_cast<double>(fs::file_size(writer.filename)) / 1e6;
    state.counters["peak_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
    fs::remove(writer.filename);
}

void BM_ExportDivx(benchmark::State& state)
{
    Export(state, "DIVX");
}

void BM_ExportUncompressed(benchmark::State& state)
{
    Export(state, "");
}

} // namespace

BENCHMARK(BM_ExportDivx)->Unit(benchmark::kSecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_ExportUncompressed)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

BENCHMARK_MAIN();
