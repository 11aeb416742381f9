#include "platform/mixer_service.h"

#include "platform/pulse_mixer_service.h"

namespace {
MixerService* installed = nullptr;
}

MixerService& Mixers()
{
    if (installed)
        return *installed;
    static PulseMixerService pulse;
    return pulse;
}

void SetMixersForTesting(MixerService* service)
{
    installed = service;
}
