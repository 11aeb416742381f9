// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Records one PulseAudio input, chosen by its name; the server's default input is left as the
// user set it.

#include "platform/sound_input.h"

class PulseSoundInput : public SoundInputService {
public:
    std::unique_ptr<SoundCapture> open(const std::string& input, int rate, int channels,
                                       std::string& error) override;
};
