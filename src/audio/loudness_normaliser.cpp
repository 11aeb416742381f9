// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/loudness_normaliser.h"

#include "audio/true_peak.h"

#include <algorithm>
#include <cmath>
#include <deque>

namespace {

constexpr double kLookAheadSeconds = 0.005; // the gain is down before the peak arrives
constexpr double kReleaseSeconds = 0.05;    // and comes back without pumping on syllables
// The limiter aims a little under the ceiling: its gain changes move the peaks between samples.
constexpr double kLimiterMarginDb = 0.1;

double Gain(double db)
{
    return std::pow(10.0, db / 20.0);
}

LoudnessMeasure Measure(const std::vector<float>& samples, int channels, int rate)
{
    return MeasureLoudness(samples.data(), samples.size() / channels, channels, rate);
}

// Lowers every frame whose true peak is over ceiling (linear) so that it is not, with a gain
// that falls over the look-ahead before the peak and recovers over the release after it.
void LimitPeaks(std::vector<float>& samples, int channels, int rate, double ceiling)
{
    const size_t frames = samples.size() / channels;
    const std::vector<float> envelope = TruePeakEnvelope(samples.data(), frames, channels);
    const size_t lookAhead = std::max<size_t>(1, static_cast<size_t>(kLookAheadSeconds * rate));
    const double release = 1.0 - std::exp(-1.0 / (kReleaseSeconds * rate));

    // The gain each frame needs, as the minimum over the look-ahead window after it (a
    // monotone queue keeps that linear), recovering at the release rate.
    std::vector<double> held(frames);
    std::deque<size_t> window; // frames in [f, f + lookAhead) with increasing needs
    const auto need = [&](size_t f) { return envelope[f] > ceiling ? ceiling / envelope[f] : 1.0; };
    size_t next = 0;
    double recovering = 1.0;
    for (size_t f = 0; f < frames; ++f) {
        for (; next < std::min(frames, f + lookAhead); ++next) {
            while (!window.empty() && need(window.back()) >= need(next))
                window.pop_back();
            window.push_back(next);
        }
        while (window.front() < f)
            window.pop_front();
        recovering = std::min(need(window.front()), recovering + (1.0 - recovering) * release);
        held[f] = recovering;
    }
    // A moving mean over the look-ahead smooths the fall into a ramp; every value it averages
    // at a peak's frame already holds that peak's need, so the peak stays under the ceiling.
    // Frames before the first count as the first, which already holds the needs of the start.
    const double start = frames == 0 ? 1.0 : held[0];
    double sum = start * static_cast<double>(lookAhead);
    for (size_t f = 0; f < frames; ++f) {
        sum += held[f] - (f >= lookAhead ? held[f - lookAhead] : start);
        const double gain = sum / static_cast<double>(lookAhead);
        for (int c = 0; c < channels; ++c)
            samples[f * channels + c] = static_cast<float>(samples[f * channels + c] * std::min(1.0, gain));
    }
}

void Scale(std::vector<float>& samples, double gain)
{
    for (float& s : samples)
        s = static_cast<float>(s * gain);
}

} // namespace

LoudnessChange NormaliseLoudness(std::vector<float>& samples, int channels, int rate, const LoudnessTarget& target)
{
    LoudnessChange change;
    change.before = Measure(samples, channels, rate);
    change.after = change.before;
    if (std::isinf(change.before.integratedLufs))
        return change;
    const std::vector<float> original = samples;
    const double ceilingDb = target.truePeakDbtp - kLimiterMarginDb;
    change.gainDb = std::min(target.largestGainDb, target.integratedLufs - change.before.integratedLufs);
    // Limiting takes some loudness away; the passes that follow make up for it with more gain.
    for (int pass = 0; pass < 4; ++pass) {
        samples = original;
        Scale(samples, Gain(change.gainDb));
        change.limited = change.before.truePeakDbtp + change.gainDb > ceilingDb;
        if (change.limited)
            LimitPeaks(samples, channels, rate, Gain(ceilingDb));
        change.after = Measure(samples, channels, rate);
        const double shortfall = target.integratedLufs - change.after.integratedLufs;
        if (!change.limited || shortfall < 0.1 || change.gainDb + shortfall > target.largestGainDb)
            break;
        change.gainDb += shortfall;
    }
    // Whatever the limiter's ramps left over the ceiling goes with a last plain gain.
    if (change.after.truePeakDbtp > target.truePeakDbtp) {
        Scale(samples, Gain(target.truePeakDbtp - change.after.truePeakDbtp - 0.01));
        change.after = Measure(samples, channels, rate);
    }
    return change;
}

LoudnessChange NormaliseLoudness(std::vector<int16_t>& samples, int channels, int rate, const LoudnessTarget& target)
{
    std::vector<float> converted(samples.size());
    std::transform(samples.begin(), samples.end(), converted.begin(), [](int16_t s) { return s / 32768.0f; });
    const LoudnessChange change = NormaliseLoudness(converted, channels, rate, target);
    std::transform(converted.begin(), converted.end(), samples.begin(), [](float s) {
        return static_cast<int16_t>(std::clamp(std::lround(s * 32768.0f), -32768L, 32767L));
    });
    return change;
}
