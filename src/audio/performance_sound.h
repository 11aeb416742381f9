// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A performance's pictures last as long as the sound that was kept of it. The sound file ends
// on a whole block of its format (ADPCM blocks last about 90 ms), a little before or after the
// moment the session ended, so its own length is the end the rendering covers.

#include "audio/wave_file.h"
#include "core/performance_log.h"

#include <string>

inline void EndWithSound(PerformanceLog& log, const std::string& soundPath)
{
    if (const long long ms = SoundLengthMs(soundPath); ms > 0)
        log.endMs = ms;
}
