// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/true_peak.h"

#include <array>
#include <cmath>
#include <limits>

namespace {

constexpr int kFactor = 4;
constexpr int kTapsPerPhase = 16; // 64 taps: under 0.3 dB of error up to 0.9 of the Nyquist rate

// phase p's taps: the sinc at the phase's fractional position, in a Hann window.
using Phases = std::array<std::array<float, kTapsPerPhase>, kFactor>;

const Phases& InterpolationPhases()
{
    static const Phases phases = [] {
        Phases built{};
        constexpr int length = kFactor * kTapsPerPhase;
        for (int p = 0; p < kFactor; ++p) {
            for (int k = 0; k < kTapsPerPhase; ++k) {
                // Tap k of phase p weighs input frame f + k - kTapsPerPhase / 2 + 1 for the value p / kFactor
                // of a sample after frame f.
                const double x = (k - kTapsPerPhase / 2 + 1) - static_cast<double>(p) / kFactor;
                const double sinc = x == 0 ? 1.0 : std::sin(M_PI * x) / (M_PI * x);
                const double n = (x + kTapsPerPhase / 2.0) * kFactor; // 0 .. length
                const double window = 0.5 - 0.5 * std::cos(2 * M_PI * n / length);
                built[p][k] = static_cast<float>(sinc * window);
            }
        }
        return built;
    }();
    return phases;
}

} // namespace

std::vector<float> TruePeakEnvelope(const float* interleaved, size_t frames, int channels)
{
    const Phases& phases = InterpolationPhases();
    std::vector<float> envelope(frames, 0.0f);
    // One channel at a time, with silence around it, so the inner loop runs without checks.
    constexpr size_t before = kTapsPerPhase / 2 - 1;
    std::vector<float> channel(frames + kTapsPerPhase, 0.0f);
    for (int c = 0; c < channels; ++c) {
        for (size_t f = 0; f < frames; ++f)
            channel[before + f] = interleaved[f * channels + c];
        for (size_t f = 0; f < frames; ++f) {
            const float* taps = &channel[f]; // taps[before] is frame f
            float peak = std::fabs(taps[before]);
            // The values a quarter, a half and three quarters of a sample after frame f.
            for (int p = 1; p < kFactor; ++p) {
                float sum = 0;
                for (int k = 0; k < kTapsPerPhase; ++k)
                    sum += phases[p][k] * taps[k];
                peak = std::max(peak, std::fabs(sum));
            }
            envelope[f] = std::max(envelope[f], peak);
        }
    }
    return envelope;
}

double TruePeakDb(const float* interleaved, size_t frames, int channels)
{
    float peak = 0;
    for (const float value : TruePeakEnvelope(interleaved, frames, channels))
        peak = std::max(peak, value);
    return peak > 0 ? 20 * std::log10(peak) : -std::numeric_limits<double>::infinity();
}
