// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The true peak of a sound: the highest level between its samples too, as a converter would
// put them out. The signal is interpolated to four times its rate (a windowed-sinc polyphase
// filter), which finds the peaks between samples within a fraction of a decibel.

#include <cstddef>
#include <vector>

// Per frame, the highest magnitude over all channels of the frame's four interpolated values
// (the sample itself among them). interleaved holds frames * channels samples, full scale 1.
std::vector<float> TruePeakEnvelope(const float* interleaved, size_t frames, int channels);

// The true peak in dBTP (dB relative to full scale); -infinity for silence.
double TruePeakDb(const float* interleaved, size_t frames, int channels);
