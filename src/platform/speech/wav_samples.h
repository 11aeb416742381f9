// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A sound file a voice wrote, as mono 16-bit samples: any format libsndfile reads, channels
// mixed down.

#include <cstdint>
#include <string>
#include <vector>

struct MonoSound {
    std::vector<int16_t> samples;
    int sampleRate = 0;
};

// Throws DeckrecError, naming who wrote it (speaker), when the file is missing, empty or not
// a sound file.
MonoSound ReadMonoSound(const std::string& path, const std::string& speaker);
