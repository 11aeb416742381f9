// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Plays sound on the system's default output: a narration take listened to before it is kept.

#include <cstdint>
#include <string>
#include <vector>

class SoundOutputService {
public:
    virtual ~SoundOutputService() = default;
    // Starts playing interleaved 16-bit samples and returns at once; a sound still playing is
    // stopped first. False with a reason when there is nothing to play on.
    virtual bool Play(std::vector<int16_t> samples, int rate, int channels, std::string& error) = 0;
    // Stops at once; nothing when nothing plays.
    virtual void Stop() = 0;
    virtual bool Playing() const = 0;
};
