// SPDX-License-Identifier: GPL-3.0-or-later
#include "fake_sound_input.h"

#include <cmath>

FakeCapture::FakeCapture(FakeSoundInput& input, int r, int c) : rate(r), channels(c), input_(input)
{
    input_.capture = this;
}

FakeCapture::~FakeCapture()
{
    if (input_.capture == this)
        input_.capture = nullptr;
}

bool FakeCapture::start(SoundSink& sink)
{
    if (input_.startFails)
        return false;
    sink_ = &sink;
    return true;
}

void FakeCapture::tone(size_t frames, double hz, double peak)
{
    std::vector<int16_t> samples(frames * size_t(channels));
    for (size_t i = 0; i < frames; ++i, ++phase_) {
        const auto v = int16_t(std::lround(peak * 32767 * std::sin(2 * M_PI * hz * double(phase_) / rate)));
        for (int c = 0; c < channels; ++c)
            samples[i * size_t(channels) + size_t(c)] = v;
    }
    deliver(samples);
}

void FakeCapture::hole(size_t frames)
{
    phase_ += frames;
    if (sink_)
        sink_->silence(frames);
}

void FakeCapture::deliver(const std::vector<int16_t>& interleaved)
{
    if (sink_)
        sink_->samples(interleaved.data(), interleaved.size() / size_t(channels), ageUs);
}

std::unique_ptr<SoundCapture> FakeSoundInput::open(const std::string& input, int rate, int channels, std::string& error)
{
    inputName = input;
    if (!available) {
        error = "No sound input";
        return nullptr;
    }
    ++opened;
    return std::make_unique<FakeCapture>(*this, rate, channels);
}
