// SPDX-License-Identifier: GPL-3.0-or-later
// Narration's costs: how long each voice takes to speak a minute of lecture notes
// (bench/speech/statistics_lecture.txt), and how fast loudness is measured and brought to its
// target (minutes of sound a second of work).
//
//   usage: build/bench/speech_bench [--benchmark_filter=...]
#include "audio/loudness_meter.h"
#include "audio/loudness_normaliser.h"
#include "core/speech_text.h"
#include "platform/speech/espeak_speech_engine.h"
#include "platform/speech/flite_speech_engine.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <ctime>
#include <fstream>
#include <iterator>
#include <random>

namespace {

std::vector<std::string> LectureSentences()
{
    std::ifstream in(DECKREC_LECTURE_NOTES, std::ios::binary);
    const std::string notes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> sentences;
    for (const SpokenPiece& piece : SpeechPieces(notes))
        sentences.insert(sentences.end(), piece.sentences.begin(), piece.sentences.end());
    return sentences;
}

// Wall time and CPU time per minute of speech: the machine is shared, and the CPU time is what
// a narration costs on an idle one.
void SpeakLecture(benchmark::State& state, SpeechEngine& engine, const VoiceChoice& voice)
{
    const std::vector<std::string> sentences = LectureSentences();
    double spokenSeconds = 0, workSeconds = 0, cpuSeconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const std::clock_t cpuStart = std::clock();
        const SpokenText spoken = engine.Speak(sentences, voice);
        cpuSeconds += static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
        workSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        spokenSeconds += static_cast<double>(spoken.samples.size()) / spoken.sampleRate;
    }
    state.counters["speech_s"] = spokenSeconds / static_cast<double>(state.iterations());
    state.counters["wall_s_per_speech_min"] = 60 * workSeconds / spokenSeconds;
    state.counters["cpu_s_per_speech_min"] = 60 * cpuSeconds / spokenSeconds;
}

void SpeakWithFlite(benchmark::State& state, const VoiceChoice& voice)
{
    FliteSpeechEngine engine;
    SpeakLecture(state, engine, voice);
}

void SpeakWithEspeak(benchmark::State& state, const VoiceChoice& voice)
{
    EspeakSpeechEngine engine;
    SpeakLecture(state, engine, voice);
}

// Ten minutes of noise bursts like speech's.
std::vector<float> SpeechLike(int channels, int rate)
{
    std::mt19937 random(3);
    std::normal_distribution<float> noise(0.0f, 0.05f);
    std::vector<float> samples(static_cast<size_t>(600) * rate * channels);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = std::fmod(static_cast<double>(i / channels) / rate, 0.25) < 0.18 ? noise(random) : 0.0f;
    return samples;
}

void MeasureTenMinutes(benchmark::State& state)
{
    const int channels = static_cast<int>(state.range(0)), rate = static_cast<int>(state.range(1));
    const std::vector<float> samples = SpeechLike(channels, rate);
    for (auto _ : state)
        benchmark::DoNotOptimize(MeasureLoudness(samples.data(), samples.size() / channels, channels, rate));
    state.counters["sound_min_per_s"] =
        benchmark::Counter(10.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void NormaliseTenMinutes(benchmark::State& state)
{
    const int channels = static_cast<int>(state.range(0)), rate = static_cast<int>(state.range(1));
    const std::vector<float> original = SpeechLike(channels, rate);
    for (auto _ : state) {
        std::vector<float> samples = original;
        benchmark::DoNotOptimize(NormaliseLoudness(samples, channels, rate));
    }
    state.counters["sound_min_per_s"] =
        benchmark::Counter(10.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK_CAPTURE(SpeakWithFlite, flite_slt, VoiceChoice{"en", "cmu_us_slt"})
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SpeakWithFlite, flite_rms, VoiceChoice{"en", "cmu_us_rms"})
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SpeakWithFlite, flite_awb, VoiceChoice{"en", "cmu_us_awb"})
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SpeakWithFlite, flite_kal16, VoiceChoice{"en", "cmu_us_kal16"})
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SpeakWithEspeak, espeak_en_us, VoiceChoice{"en-us", ""})
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SpeakWithEspeak, espeak_de, VoiceChoice{"de", ""})->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK(MeasureTenMinutes)->Args({1, 22050})->Args({2, 48000})->Unit(benchmark::kMillisecond);
BENCHMARK(NormaliseTenMinutes)->Args({1, 22050})->Args({2, 48000})->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
