// SPDX-License-Identifier: GPL-3.0-or-later
// The cost of recording sound: encoding and writing what arrives (per second of sound, in
// every Record Format), and a real recording from the sound server (CPU share of the process).
#include "core/working_files.h"
#include "audio/sound_file.h"
#include "audio/wave_recorder.h"
#include "platform/pulse/pulse_sound_input.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// An input that hands over whatever the benchmark pushes, at once.
class PushedCapture : public SoundCapture {
public:
    bool start(SoundSink& sink) override
    {
        sink_ = &sink;
        return true;
    }
    void stop() override { sink_ = nullptr; }
    void push(const std::vector<int16_t>& samples, size_t frames) { sink_->samples(samples.data(), frames, 0); }

private:
    SoundSink* sink_ = nullptr;
};

class PushedInput : public SoundInputService {
public:
    std::unique_ptr<SoundCapture> open(const std::string&, int rate, int channels, std::string&) override
    {
        this->rate = rate;
        this->channels = channels;
        auto c = std::make_unique<PushedCapture>();
        capture = c.get();
        return c;
    }
    PushedCapture* capture = nullptr;
    int rate = 0, channels = 0;
};

struct BenchFolder {
    BenchFolder()
    {
        folder = std::filesystem::temp_directory_path() / ("deckrec-sound-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder / "temp");
        for (const char* name : {"adpcm1.wav", "adpcm2.wav", "adpcm3.wav"})
            std::filesystem::copy_file(std::string(DECKREC_BUILT_PROGRAM_DIR) + "/" + name, folder / name);
    }
    ~BenchFolder()
    {
        std::filesystem::remove_all(folder);
    }
    WorkingFiles files() const { return WorkingFiles::InProgramFolder(folder.string()); }
    std::filesystem::path folder;
};

double ProcessCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// Ten seconds of a tone, delivered in 20 ms pieces as the server does, per iteration.
void BM_EncodeTenSeconds(benchmark::State& state)
{
    BenchFolder folder;
    const int item = int(state.range(0));
    const std::string path = folder.files().SoundFilePath();
    PushedInput input;
    int64_t nowUs = 0;
    WaveRecorder recorder(input, [&] { return nowUs; });
    recorder.setTailWaitMs(0); // nothing more comes than what is pushed
    const double cpu0 = ProcessCpuSeconds();
    for (auto _ : state) {
        PrepareSoundFile(folder.files().ProgramFolder(), TemplateForRecordFormat(item), path);
        recorder.open(path);
        const size_t piece = size_t(input.rate / 50);
        std::vector<int16_t> samples(piece * size_t(input.channels));
        for (size_t i = 0; i < samples.size(); ++i)
            samples[i] = int16_t(12000 * std::sin(double(i / size_t(input.channels)) * 0.142));
        recorder.record();
        for (int i = 0; i < 500; ++i) {
            input.capture->push(samples, piece);
            nowUs += 20000;
        }
        recorder.stop();
        recorder.save(path);
        recorder.close();
    }
    // Share of one core that recording this format takes, for sound arriving in real time.
    state.counters["core_share_pct"] = (ProcessCpuSeconds() - cpu0) / double(state.iterations()) / 10.0 * 100.0;
}
BENCHMARK(BM_EncodeTenSeconds)->DenseRange(0, 3)->ArgName("format")->Unit(benchmark::kMillisecond);

// A real two-second recording from the sound server's default input.
void BM_RecordFromServer(benchmark::State& state)
{
    BenchFolder folder;
    const std::string path = folder.files().SoundFilePath();
    PulseSoundInput input;
    WaveRecorder recorder(input);
    double cpu = 0, wall = 0;
    for (auto _ : state) {
        PrepareSoundFile(folder.files().ProgramFolder(), TemplateForRecordFormat(int(state.range(0))), path);
        try {
            recorder.open(path);
        } catch (const std::exception& e) {
            state.SkipWithError(e.what());
            return;
        }
        const double cpu0 = ProcessCpuSeconds();
        const auto wall0 = std::chrono::steady_clock::now();
        recorder.record();
        std::this_thread::sleep_for(std::chrono::seconds(2));
        recorder.stop();
        recorder.save(path);
        recorder.close();
        cpu += ProcessCpuSeconds() - cpu0;
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    }
    state.counters["cpu_pct"] = cpu * 100.0 / wall;
}
BENCHMARK(BM_RecordFromServer)->DenseRange(0, 3)->ArgName("format")->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
BENCHMARK_MAIN();
