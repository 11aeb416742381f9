// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How loud a sound is to a listener, as broadcast and streaming measure it: the integrated
// loudness of ITU-R BS.1770 (the EBU R128 measure) and the true peak. The loudness is the
// K-weighted mean square over 400 ms blocks that overlap by 75 %, gated twice: blocks under
// -70 LUFS (silence) and then blocks 10 LU under the mean of the rest (pauses, breaths) do
// not count, so that a narration's silences do not make it seem quieter than it is.

#include <cstddef>

constexpr double kLoudnessAbsoluteGateLufs = -70.0;
constexpr double kLoudnessRelativeGateLu = -10.0;

struct LoudnessMeasure {
    // LUFS; -infinity when no block passes the gates (silence, or under 400 ms of sound).
    double integratedLufs = 0;
    double truePeakDbtp = 0; // -infinity for silence
};

// interleaved holds frames * channels samples (1 or 2 channels; more are weighed as front
// channels), full scale 1.
LoudnessMeasure MeasureLoudness(const float* interleaved, size_t frames, int channels, int sampleRate);
