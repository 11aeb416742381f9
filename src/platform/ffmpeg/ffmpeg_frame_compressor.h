// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One libavcodec encoder opened for a compression run, with the conversion of the export's
// uncompressed frames into a pixel format of the encoder's own.

#include "platform/encoder_facility.h"

#include <map>
#include <string>

struct AVCodec;

// The encoder's pixel format for frames of bitCount bits (an AVPixelFormat), or -1 when it
// has none that holds them: 24 and 32 bits go to the common 4:2:0 layout of a lossy encoder
// (what players expect) or to the encoder's closest RGB format; 1, 4 and 8 bits only to a
// palette or monochrome format of its own.
int EncoderPixelFormat(const AVCodec* codec, int bitCount);

// Opens codec for settings with the user's options; raises EncoderError when it won't open.
// threads 0 lets the library choose.
std::unique_ptr<FrameCompressor> OpenFfmpegCompressor(const AVCodec* codec, unsigned tag,
                                                      const CompressorSettings& settings,
                                                      const std::map<std::string, std::string>& options,
                                                      int threads);
