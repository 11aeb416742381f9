#pragma once
// The closing save: reads the temporary video file back and writes the output AVI with the
// video stream (compressed, or copied as it is) followed by the WAV file's audio stream.

#include "platform/encoder_facility.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class WavAudioSource;

struct AviOutputPlan {
    std::string temporaryPath;
    std::string outputPath;
    int frameCount = 0;
    // Compress with this encoder and these settings; without it the frames are copied.
    bool compress = false;
    CompressorSettings compression;
    // The colour table of the frames (empty for 24 and 32 bits), written with copied frames.
    std::vector<uint32_t> palette;
    WavAudioSource* audio = nullptr; // no audio stream when null
    // Told the share of frames done, 0..100, whenever it grows.
    std::function<void(int percent)> progress;
};

// Writes the output file; 0 on success, else the library's negative error code. A failure
// removes what was written of the output file.
int WriteAviOutput(const AviOutputPlan& plan, EncoderFacility& facility);
