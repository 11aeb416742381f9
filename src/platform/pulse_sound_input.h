#pragma once
// Records the PulseAudio server's default input (the one the mixer's multiplexer chose).

#include "platform/sound_input.h"

class PulseSoundInput : public SoundInputService {
public:
    std::unique_ptr<SoundCapture> open(int rate, int channels, std::string& error) override;
};
