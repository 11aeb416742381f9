#include "platform/sound_input.h"

#include "platform/pulse_sound_input.h"

namespace {
SoundInputService* installed = nullptr;
}

SoundInputService& SoundInput()
{
    if (installed)
        return *installed;
    static PulseSoundInput pulse;
    return pulse;
}

void SetSoundInputForTesting(SoundInputService* service)
{
    installed = service;
}
