// SPDX-License-Identifier: GPL-3.0-or-later
// Video export of a full-length session (9999 slots, 25 minutes): slots per second, peak
// resident memory and peak extra disk while exporting. "DIVX" AVI at 560 x 420 and MP4
// H.264 of a 1280 x 720 capture. The recordings are generated once, as the recorder stores
// them (long_recording.h).
#include "video/avi_export.h"
#include "video/avi_writer.h"
#include "video/container_export.h"
#include "platform/ffmpeg/ffmpeg_encoder_facility.h"
#include "long_recording.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace fs = std::filesystem;

namespace {

uintmax_t FolderBytes(const fs::path& folder)
{
    uintmax_t total = 0;
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code sizeError;
        if (it->is_regular_file(sizeError)) {
            const uintmax_t size = it->file_size(sizeError);
            if (!sizeError)
                total += size;
        }
    }
    return total;
}

// Forgets the process's peak resident size so far, so that each export measures its own.
void ResetPeakRss()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

double PeakRssMB()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

// Watches every 5 ms the bytes of the files an export may add: the export's own files in the
// working directory (listing its thousands of frame files would cost the export its speed)
// and whatever appears in the target's folder. peak() is the most they held at once.
class DiskWatch {
public:
    DiskWatch(std::vector<fs::path> files, fs::path folder) : files_(std::move(files)), folder_(std::move(folder))
    {
        thread_ = std::thread([this] {
            while (!stop_) {
                const uintmax_t now = Total();
                if (now > peak_)
                    peak_ = now;
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        });
    }
    ~DiskWatch()
    {
        stop_ = true;
        thread_.join();
    }
    uintmax_t peak() const { return peak_; }

private:
    uintmax_t Total() const
    {
        uintmax_t total = FolderBytes(folder_);
        for (const fs::path& file : files_) {
            std::error_code error;
            const uintmax_t size = fs::file_size(file, error);
            if (!error)
                total += size;
        }
        return total;
    }
    std::vector<fs::path> files_;
    fs::path folder_;
    std::atomic<uintmax_t> peak_{0};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

const LongRecording& Recording(int width, int height)
{
    static std::unique_ptr<LongRecording> small, large;
    std::unique_ptr<LongRecording>& slot = width <= 600 ? small : large;
    if (!slot) {
        LongRecordingShape shape;
        shape.width = width;
        shape.height = height;
        slot = std::make_unique<LongRecording>(shape);
    }
    return *slot;
}

void Measure(benchmark::State& state, const LongRecording& recording, const std::function<void(const std::string&)>& run)
{
    const fs::path outFolder = fs::path(recording.folder()) / "out";
    fs::create_directories(outFolder);
    const std::string target = (outFolder / "session.video").string();
    double peakRss = 0;
    uintmax_t peakDisk = 0;
    for (auto _ : state) {
        ResetPeakRss();
        const std::string working = recording.files().WorkingDirectory();
        DiskWatch watch({working + "tempdeckrec.avi", working + "~AWTemptempdeckrec.avi"}, outFolder);
        run(target);
        peakDisk = watch.peak();
        peakRss = PeakRssMB();
    }
    const double output = static_cast<double>(fs::file_size(target));
    state.counters["slots_per_s"] = benchmark::Counter(static_cast<double>(recording.frameCount()) * state.iterations(),
                                                       benchmark::Counter::kIsRate);
    state.counters["peak_rss_MB"] = peakRss;
    state.counters["output_MB"] = output / 1e6;
    state.counters["peak_disk_MB"] = static_cast<double>(peakDisk) / 1e6;
    state.counters["disk_over_output_MB"] = (static_cast<double>(peakDisk) - output) / 1e6;
    state.counters["stored_frames"] = recording.storedFrames();
    fs::remove(target);
}

void BM_LongDivx560(benchmark::State& state)
{
    const LongRecording& recording = Recording(560, 420);
    Measure(state, recording, [&](const std::string& target) {
        FfmpegEncoderFacility encoders;
        TAviWriter_2 writer(encoders);
        writer.Width = 560;
        writer.Height = 420;
        writer.FrameTime = 150;
        writer.SelectCompressor("DIVX");
        writer.SetQuality(4000); // "Medium Quality", the page's default
        PrepareVideoExport(writer, recording.files(), target);
        VideoFileOptions options;
        options.size = {560, 420};
        options.target = target;
        ExportVideo(writer, recording.files(), recording.frameCount(), options, {});
    });
}

void BM_LongMp4H264_1280(benchmark::State& state)
{
    const LongRecording& recording = Recording(1280, 720);
    Measure(state, recording, [&](const std::string& target) {
        FfmpegEncoderFacility encoders;
        VideoFileOptions options;
        options.format = VideoFormat::Mp4;
        options.encoderCode = "H264";
        options.quality = 4000;
        options.size = {1280, 720};
        options.target = target;
        ExportContainerVideo(encoders, recording.files(), recording.frameCount(), options, {});
    });
}

} // namespace

BENCHMARK(BM_LongDivx560)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_LongMp4H264_1280)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

BENCHMARK_MAIN();
