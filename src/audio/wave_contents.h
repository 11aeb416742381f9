// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How much sound a WAVE file holds, read from the file rather than from the sizes its header
// gives: a recording cut off by a kill keeps the header written when it began, whose sizes
// say nothing of what followed. What the file holds counts in whole blocks: a block cut off
// in the middle decodes to noise.

#include <optional>
#include <string>

struct WaveContents {
    long long dataOffset = 0; // where the sound's bytes begin
    long long dataBytes = 0;  // the whole blocks that follow
    long long frames = 0;     // the sample frames they hold
    int rate = 0;

    long long lengthMs() const { return rate > 0 ? frames * 1000 / rate : 0; }
};

// Nothing when path is no WAVE file with a format and a data chunk. The header's data size
// counts when the file holds that much (a finished file may have chunks after its data),
// otherwise what the file holds.
std::optional<WaveContents> ReadWaveContents(const std::string& path);

// Writes to to a copy of from whose header gives the sizes of what it holds (RIFF, fact and
// data), so that every reader plays it to its end. Throws DeckrecError when from is no WAVE
// file or to cannot be written.
void CopyWaveWithTrueSizes(const std::string& from, const std::string& to);
