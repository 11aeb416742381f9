// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Pictures and sound files the AVI tests make for themselves.

#include "core/picture.h"

#include <cstdint>
#include <string>
#include <vector>

// A slide: white page, coloured title bar, dark lines of "text"; variant moves the text.
Picture SlidePicture(int width, int height, int variant);

// A grey slide with a photograph-like area of fine texture: a picture whose quality depends
// on the bits an encoder spends, with no colour for chroma subsampling to lose.
Picture TexturedGreyPicture(int width, int height, int variant);

// A 24-bit picture whose every pixel has a colour of its own along smooth gradients.
Picture GradientPicture(int width, int height);

// The picture's pixels as B, G, R bytes, rows top-down and unpadded (as DecodeVideoFrames).
std::vector<uint8_t> PackedBgr(const Picture& picture);

// Writes a WAV file of a 440 Hz tone; format is a libsndfile subtype (SF_FORMAT_PCM_16,
// SF_FORMAT_IMA_ADPCM, SF_FORMAT_MS_ADPCM). Returns the number of sample frames written.
int64_t WriteToneWav(const std::string& path, int subtype, int rate, int channels, double seconds);
