// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An input of the test's making: the test hands samples and holes to the running capture on
// its own thread, at the moments it chooses.

#include "platform/sound_input.h"

#include <cstdint>
#include <string>
#include <vector>

class FakeSoundInput;

class FakeCapture : public SoundCapture {
public:
    explicit FakeCapture(FakeSoundInput& input, int rate, int channels);
    ~FakeCapture() override;
    bool start(SoundSink& sink) override;
    void stop() override { sink_ = nullptr; }

    bool running() const { return sink_ != nullptr; }
    // A tone of the given frequency and peak (0 .. 1), continuing the phase of earlier calls.
    void tone(size_t frames, double hz = 1000, double peak = 0.5);
    void hole(size_t frames);
    void deliver(const std::vector<int16_t>& interleaved);

    // How long before its delivery the next sound was captured.
    int64_t ageUs = 0;

    const int rate;
    const int channels;

private:
    FakeSoundInput& input_;
    SoundSink* sink_ = nullptr;
    size_t phase_ = 0;
};

class FakeSoundInput : public SoundInputService {
public:
    std::unique_ptr<SoundCapture> open(const std::string& input, int rate, int channels, std::string& error) override;

    bool available = true;
    std::string inputName; // the input the last open asked for   // false: there is nothing to record from
    bool startFails = false; // the stream refuses to start
    int opened = 0;
    FakeCapture* capture = nullptr; // the capture that exists, if any
};
