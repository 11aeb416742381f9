// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/loudness_meter.h"

#include "audio/true_peak.h"

#include <cmath>
#include <limits>
#include <vector>

namespace {

// A second-order section, direct form I.
struct Biquad {
    double b0, b1, b2, a1, a2;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;

    double Run(double x)
    {
        const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }
};

// The K-weighting's two stages, a high shelf (the head's effect) and a high pass, designed for
// the sound's own rate from the analogue prototypes whose values at 48 kHz BS.1770 lists.
Biquad HighShelf(int rate)
{
    const double f0 = 1681.974450955533, gainDb = 3.999843853973347, q = 0.7071752369554196;
    const double k = std::tan(M_PI * f0 / rate);
    const double vh = std::pow(10.0, gainDb / 20.0);
    const double vb = std::pow(vh, 0.4996667741545416);
    const double a0 = 1.0 + k / q + k * k;
    return {(vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0, (vh - vb * k / q + k * k) / a0,
            2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

Biquad HighPass(int rate)
{
    const double f0 = 38.13547087602444, q = 0.5003270373238773;
    const double k = std::tan(M_PI * f0 / rate);
    const double a0 = 1.0 + k / q + k * k;
    return {1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

double BlockLoudness(double weightedMeanSquare)
{
    return -0.691 + 10.0 * std::log10(weightedMeanSquare);
}

} // namespace

LoudnessMeasure MeasureLoudness(const float* interleaved, size_t frames, int channels, int sampleRate)
{
    LoudnessMeasure measure;
    measure.truePeakDbtp = TruePeakDb(interleaved, frames, channels);

    // Each 100 ms step's sum of K-weighted squares over the channels (front channels weigh 1).
    const size_t step = static_cast<size_t>(sampleRate) / 10;
    std::vector<double> stepEnergy(step == 0 ? 0 : frames / step, 0.0);
    for (int c = 0; c < channels; ++c) {
        Biquad shelf = HighShelf(sampleRate), pass = HighPass(sampleRate);
        for (size_t f = 0; f < stepEnergy.size() * step; ++f) {
            const double y = pass.Run(shelf.Run(interleaved[f * channels + c]));
            stepEnergy[f / step] += y * y;
        }
    }

    // 400 ms blocks, one every 100 ms: four steps each.
    std::vector<double> blocks; // mean squares of the blocks over the absolute gate
    for (size_t s = 0; s + 4 <= stepEnergy.size(); ++s) {
        const double meanSquare =
            (stepEnergy[s] + stepEnergy[s + 1] + stepEnergy[s + 2] + stepEnergy[s + 3]) / (4.0 * step);
        if (meanSquare > 0 && BlockLoudness(meanSquare) > kLoudnessAbsoluteGateLufs)
            blocks.push_back(meanSquare);
    }
    const auto gatedLoudness = [&](double gateLufs) {
        double sum = 0;
        size_t count = 0;
        for (const double meanSquare : blocks) {
            if (BlockLoudness(meanSquare) > gateLufs) {
                sum += meanSquare;
                ++count;
            }
        }
        return count == 0 ? -std::numeric_limits<double>::infinity() : BlockLoudness(sum / count);
    };
    const double ungated = gatedLoudness(kLoudnessAbsoluteGateLufs);
    measure.integratedLufs = std::isinf(ungated) ? ungated : gatedLoudness(ungated + kLoudnessRelativeGateLu);
    return measure;
}
