// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Plays on PulseAudio's default output through its simple blocking interface, written from a
// thread of its own so that the window stays responsive.

#include "platform/sound_output.h"

#include <atomic>
#include <thread>

class PulseSoundOutput : public SoundOutputService {
public:
    ~PulseSoundOutput() override;
    bool Play(std::vector<int16_t> samples, int rate, int channels, std::string& error) override;
    void Stop() override;
    bool Playing() const override { return playing_; }

private:
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> playing_{false};
};
