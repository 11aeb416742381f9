// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Speech as one channel of 16-bit samples at a rate of its own: what a voice speaks, what a
// recorded take holds once its channels are mixed, and how a narration's sound track is made
// of them.

#include <cstdint>
#include <string>
#include <vector>

struct SoundClip {
    std::vector<int16_t> samples;
    int rate = 0;
    long long Ms() const { return rate > 0 ? static_cast<long long>(samples.size()) * 1000 / rate : 0; }
};

// A WAVE file's sound, its channels mixed. Throws DeckrecError naming path when it is no WAVE
// file or cannot be read.
SoundClip ReadWaveClip(const std::string& path);

// A sound placed on a track, from startMs on.
struct PlacedSound {
    const SoundClip* sound = nullptr;
    long long startMs = 0;
};

// Writes path as a 16-bit PCM mono WAVE file of lengthMs: each sound from its start (cut at
// the end of the track, a later one replacing what an earlier one still had to say), silence
// elsewhere, at the highest rate among the sounds (another rate is converted to it), 48000 Hz
// without any. Throws DeckrecError when the file cannot be written.
void WriteSoundTrack(const std::string& path, const std::vector<PlacedSound>& sounds, long long lengthMs);
