// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reads back what the recorder wrote: the header fields straight from the bytes, the sound
// through libsndfile.

#include <cstdint>
#include <string>
#include <vector>

struct WaveHeader {
    bool valid = false;
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t rate = 0;
    uint32_t byteRate = 0;
    uint16_t blockAlign = 0;
    uint16_t bits = 0;
    uint32_t dataBytes = 0;
};

WaveHeader ReadWaveHeader(const std::string& path);
std::vector<uint8_t> FileBytes(const std::string& path);

struct DecodedSound {
    int rate = 0;
    int channels = 0;
    std::vector<double> samples; // interleaved, -1 .. 1
    size_t frames() const { return channels ? samples.size() / size_t(channels) : 0; }
};
DecodedSound DecodeSound(const std::string& path);

// Of channel `channel` from frame `from` on, `count` frames.
double Rms(const DecodedSound& s, int channel, size_t from, size_t count);
// The strongest frequency between 100 Hz and 5 kHz, to 5 Hz.
double DominantFrequency(const DecodedSound& s, int channel, size_t from, size_t count);
