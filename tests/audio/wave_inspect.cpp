// SPDX-License-Identifier: GPL-3.0-or-later
#include "wave_inspect.h"

#include <sndfile.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

std::vector<uint8_t> FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

namespace {
uint32_t Le(const std::vector<uint8_t>& b, size_t at, int n)
{
    uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i)
        v = (v << 8) | b[at + size_t(i)];
    return v;
}
} // namespace

WaveHeader ReadWaveHeader(const std::string& path)
{
    const auto b = FileBytes(path);
    WaveHeader h;
    if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 || std::memcmp(b.data() + 8, "WAVE", 4) != 0)
        return h;
    bool fmt = false, data = false;
    for (size_t at = 12; at + 8 <= b.size();) {
        const uint32_t size = Le(b, at + 4, 4);
        if (std::memcmp(&b[at], "fmt ", 4) == 0 && at + 24 <= b.size()) {
            fmt = true;
            h.formatTag = uint16_t(Le(b, at + 8, 2));
            h.channels = uint16_t(Le(b, at + 10, 2));
            h.rate = Le(b, at + 12, 4);
            h.byteRate = Le(b, at + 16, 4);
            h.blockAlign = uint16_t(Le(b, at + 20, 2));
            h.bits = uint16_t(Le(b, at + 22, 2));
        } else if (std::memcmp(&b[at], "data", 4) == 0) {
            data = true;
            h.dataBytes = size;
        }
        at += 8 + size + (size & 1);
    }
    h.valid = fmt && data;
    return h;
}

DecodedSound DecodeSound(const std::string& path)
{
    DecodedSound s;
    SF_INFO info;
    std::memset(&info, 0, sizeof info);
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    if (!f)
        return s;
    s.rate = info.samplerate;
    s.channels = info.channels;
    s.samples.resize(size_t(info.frames) * size_t(info.channels));
    s.samples.resize(size_t(sf_readf_double(f, s.samples.data(), info.frames)) * size_t(info.channels));
    sf_close(f);
    return s;
}

double Rms(const DecodedSound& s, int channel, size_t from, size_t count)
{
    double sum = 0;
    for (size_t i = from; i < from + count; ++i) {
        const double v = s.samples[i * size_t(s.channels) + size_t(channel)];
        sum += v * v;
    }
    return count ? std::sqrt(sum / double(count)) : 0;
}

double DominantFrequency(const DecodedSound& s, int channel, size_t from, size_t count)
{
    double best = 0, bestPower = -1;
    for (double hz = 100; hz <= 5000; hz += 5) {
        // Goertzel: the power of one frequency.
        const double w = 2 * M_PI * hz / s.rate;
        const double k = 2 * std::cos(w);
        double s1 = 0, s2 = 0;
        for (size_t i = from; i < from + count; ++i) {
            const double s0 = s.samples[i * size_t(s.channels) + size_t(channel)] + k * s1 - s2;
            s2 = s1;
            s1 = s0;
        }
        const double power = s1 * s1 + s2 * s2 - k * s1 * s2;
        if (power > bestPower) {
            bestPower = power;
            best = hz;
        }
    }
    return best;
}
