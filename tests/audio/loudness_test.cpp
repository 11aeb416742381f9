// SPDX-License-Identifier: GPL-3.0-or-later
// Loudness and true peak on signals whose values are known (the EBU's own test signals among
// them), and narration brought to its target without going over the peak ceiling.
#include "audio/loudness_meter.h"
#include "audio/loudness_normaliser.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <random>

namespace {

constexpr double kSilent = -std::numeric_limits<double>::infinity();

struct Stretch {
    double seconds;
    double levelDbfs; // the sine's peak; -infinity for silence
};

// A 1 kHz sine through stretches of levels, the same in every channel.
std::vector<float> Sine(const std::vector<Stretch>& stretches, int channels, int rate, double hz = 1000,
                        double phase = 0)
{
    std::vector<float> samples;
    size_t n = 0;
    for (const Stretch& s : stretches) {
        const double amplitude = std::pow(10.0, s.levelDbfs / 20.0);
        for (size_t f = 0; f < static_cast<size_t>(s.seconds * rate); ++f, ++n) {
            const float value = static_cast<float>(amplitude * std::sin(2 * M_PI * hz * n / rate + phase));
            samples.insert(samples.end(), channels, value);
        }
    }
    return samples;
}

// Something like speech: noise in syllable-long bursts with pauses, and a few sharp clicks
// (plosives) far over the rest.
std::vector<float> SpeechLike(int channels, int rate, double levelDbfs, bool clicks)
{
    std::mt19937 random(7);
    std::normal_distribution<float> noise(0.0f, static_cast<float>(std::pow(10.0, levelDbfs / 20.0)));
    std::vector<float> samples;
    for (size_t f = 0; f < static_cast<size_t>(8 * rate); ++f) {
        const double t = static_cast<double>(f) / rate;
        const double syllable = std::fmod(t, 0.25) < 0.18 && std::fmod(t, 2.0) < 1.6 ? 1.0 : 0.0;
        float value = static_cast<float>(syllable * noise(random));
        if (clicks && f % (rate / 2) == 100)
            value = 0.3f;
        samples.insert(samples.end(), channels, std::clamp(value, -1.0f, 1.0f));
    }
    return samples;
}

} // namespace

TEST(AudioLoudness, KnownSignalsMeasureAsExpected)
{
    struct Case {
        const char* what;
        std::vector<float> samples;
        int channels;
        int rate;
        double lufs;
        double dbtp;
    };
    // A sine's mean square is half its peak's square (-3.01 dB); the K-weighting lifts 1 kHz by
    // the 0.691 dB that BS.1770's constant takes off again. So a stereo sine measures at its
    // peak level, and a mono one 3.01 dB under it.
    const Case cases[] = {
        {"mono 1 kHz at -20 dBFS", Sine({{10, -20}}, 1, 48000), 1, 48000, -23.01, -20},
        {"stereo 1 kHz at -23 dBFS", Sine({{20, -23}}, 2, 48000), 2, 48000, -23.0, -23},
        {"stereo at 44.1 kHz", Sine({{20, -23}}, 2, 44100), 2, 44100, -23.0, -23},
        {"mono at 22.05 kHz", Sine({{10, -20}}, 1, 22050), 1, 22050, -23.01, -20},
        // The relative gate drops the quiet stretches, the absolute gate the near-silent ones.
        {"quiet stretches around a loud one", Sine({{10, -36}, {60, -23}, {10, -36}}, 2, 48000), 2, 48000, -23.0, -23},
        {"near silence, quiet, loud", Sine({{10, -72}, {10, -36}, {20, -23}, {10, -36}, {10, -72}}, 2, 48000), 2, 48000,
         -23.0, -23},
        {"silence", Sine({{5, kSilent}}, 1, 48000), 1, 48000, kSilent, kSilent},
        {"a tone under the absolute gate", Sine({{5, -75}}, 1, 48000), 1, 48000, kSilent, -75},
        {"under one block of sound", Sine({{0.3, -20}}, 1, 48000), 1, 48000, kSilent, -20},
        // A quarter of the rate at 45 degrees: every sample is 3 dB under the peaks between them.
        // The shelf lifts 12 kHz by 4 dB.
        {"peaks between samples", Sine({{5, 0}}, 1, 48000, 12000, M_PI / 4), 1, 48000, 10 * std::log10(0.5) - 0.691 + 4,
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const LoudnessMeasure m = MeasureLoudness(c.samples.data(), c.samples.size() / c.channels, c.channels, c.rate);
        if (std::isinf(c.lufs)) {
            EXPECT_TRUE(std::isinf(m.integratedLufs) && m.integratedLufs < 0) << m.integratedLufs;
        } else {
            EXPECT_NEAR(m.integratedLufs, c.lufs, 0.1);
        }
        if (std::isinf(c.dbtp)) {
            EXPECT_TRUE(std::isinf(m.truePeakDbtp) && m.truePeakDbtp < 0) << m.truePeakDbtp;
        } else {
            EXPECT_NEAR(m.truePeakDbtp, c.dbtp, 0.2);
        }
    }
}

TEST(AudioLoudness, NarrationReachesItsTargetUnderThePeakCeiling)
{
    struct Case {
        const char* what;
        std::vector<float> samples;
        int channels;
        bool limited;
    };
    const Case cases[] = {
        {"quiet speech, room to spare", SpeechLike(1, 22050, -32, false), 1, false},
        {"loud speech is turned down", SpeechLike(2, 22050, -8, false), 2, false},
        {"quiet speech with clicks at full scale", SpeechLike(1, 22050, -32, true), 1, true},
        {"stereo speech with clicks", SpeechLike(2, 22050, -34, true), 2, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<float> samples = c.samples;
        const LoudnessChange change = NormaliseLoudness(samples, c.channels, 22050);
        EXPECT_EQ(change.limited, c.limited);
        EXPECT_NEAR(change.after.integratedLufs, -16.0, 0.3);
        EXPECT_LE(change.after.truePeakDbtp, -1.0);
        const LoudnessMeasure measured =
            MeasureLoudness(samples.data(), samples.size() / c.channels, c.channels, 22050);
        EXPECT_DOUBLE_EQ(measured.integratedLufs, change.after.integratedLufs);

        // The engines' samples: the same within the rounding to 16 bits.
        std::vector<int16_t> whole(c.samples.size());
        for (size_t i = 0; i < whole.size(); ++i)
            whole[i] = static_cast<int16_t>(std::lround(c.samples[i] * 32767));
        const LoudnessChange wholeChange = NormaliseLoudness(whole, c.channels, 22050);
        EXPECT_NEAR(wholeChange.after.integratedLufs, -16.0, 0.3);
        EXPECT_LE(*std::max_element(whole.begin(), whole.end()), static_cast<int16_t>(32768 * std::pow(10, -1.0 / 20)));
    }

    // Silence is left alone.
    std::vector<int16_t> silence(22050, 0);
    const LoudnessChange none = NormaliseLoudness(silence, 1, 22050);
    EXPECT_EQ(none.gainDb, 0);
    EXPECT_TRUE(std::all_of(silence.begin(), silence.end(), [](int16_t s) { return s == 0; }));
}
