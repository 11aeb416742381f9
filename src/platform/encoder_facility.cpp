#include "platform/encoder_facility.h"

#include "platform/ffmpeg_encoder_facility.h"

namespace {
EncoderFacility* installed = nullptr;
}

EncoderFacility& EncoderFacilityInUse()
{
    if (installed)
        return *installed;
    static FfmpegEncoderFacility ffmpeg;
    return ffmpeg;
}

void SetEncoderFacilityForTesting(EncoderFacility* facility)
{
    installed = facility;
}
