// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The output AVI, written in one pass while the frames come in: each frame is compressed with
// the chosen encoder (or stored as it is, rows bottom-up, without one) and goes straight into
// the file, with the WAV file's sound interleaved beside the pictures it plays with. Nothing
// of the video is kept anywhere but in the file. Operations return 0 or the library's
// negative error code, so that the writer words each failure itself.

#include "core/picture.h"
#include "platform/encoder_facility.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class WavAudioSource;

struct AviStreamPlan {
    int width = 0;
    int height = 0;
    int bitCount = 24;
    double frameTime = 1000; // milliseconds per frame
    // The colour table of indexed frames (0x00RRGGBB), empty for 24 and 32 bits.
    std::vector<uint32_t> palette;
    // Compress with this encoder and these settings; without it the frames are stored.
    bool compress = false;
    CompressorSettings compression;
    WavAudioSource* audio = nullptr; // no audio stream when null
};

class AviOutputFile {
public:
    explicit AviOutputFile(EncoderFacility& facility);
    ~AviOutputFile();
    AviOutputFile(const AviOutputFile&) = delete;
    AviOutputFile& operator=(const AviOutputFile&) = delete;

    // Creates the file at path, replacing one that is there.
    int create(const std::string& path);
    // Adds the streams, opens the encoder and writes the header. An encoder that will not
    // open is reported by its own code.
    int start(const AviStreamPlan& plan);
    // Adds one frame (the size and format of the plan).
    int writeFrame(const Picture& frame);
    // Drains the encoder, adds the rest of the sound, writes the index and closes the file;
    // the file is complete only after this.
    int finish();
    // Closes the file as it stands, without its index.
    void abandon();

    bool isOpen() const;
    bool started() const;

private:
    class Job;
    EncoderFacility& facility_;
    std::unique_ptr<Job> job_;
};
