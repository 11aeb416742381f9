// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The sound file's preparation: before each recording the file is replaced by a copy of a
// format template or by the built-in empty PCM file, and the recorder records in the format
// that the file declares.

#include <array>
#include <cstdint>
#include <string>

// The format template of a Record Format item ("adpcm1.wav" ...), or "" for the built-in
// PCM file (every index but 0, 1 and 2).
std::string TemplateForRecordFormat(int itemIndex);

// The built-in PCM file: a WAVE header for 44100 Hz, 2 channels, 16 bits with an empty data
// chunk.
std::array<uint8_t, 44> BuiltInPcmFile();

// Replaces path by a copy of programFolder + templateName (programFolder ends in "/"), or by the built-in PCM file when
// templateName is empty. A missing template leaves no file at path (the open that follows
// reports it); a failure to write the built-in file throws DeckrecError.
void PrepareSoundFile(const std::string& programFolder, const std::string& templateName, const std::string& path);
