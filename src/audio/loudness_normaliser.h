// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Narration brought to one loudness, whatever voice spoke it: a gain to the target integrated
// loudness, and where that gain would lift the true peak over its ceiling, a look-ahead peak
// limiter that lowers only the loudest moments. A lower gain instead would leave a peaky voice
// (synthetic speech often is) audibly quieter than the rest; the limiter keeps the loudness and
// only the rare peaks lose a few decibels.

#include "audio/loudness_meter.h"

#include <cstdint>
#include <vector>

struct LoudnessTarget {
    double integratedLufs = -16.0; // spoken word for streaming and podcasts
    // A lossy encoder (AAC, Opus) lifts the true peak a few tenths of a dB over the PCM's: the
    // margin keeps the exported track under -1 dBTP.
    double truePeakDbtp = -1.5;
    double largestGainDb = 30.0; // a near-silent take is not raised into a roar of its noise
};

struct LoudnessChange {
    LoudnessMeasure before;
    LoudnessMeasure after;
    double gainDb = 0;
    bool limited = false; // whether peaks were lowered on top of the gain
};

// In place; 1 or 2 channels interleaved. Silence (nothing over the gate) stays as it is.
LoudnessChange NormaliseLoudness(std::vector<float>& interleaved, int channels, int sampleRate,
                                 const LoudnessTarget& target = {});
LoudnessChange NormaliseLoudness(std::vector<int16_t>& interleaved, int channels, int sampleRate,
                                 const LoudnessTarget& target = {});
