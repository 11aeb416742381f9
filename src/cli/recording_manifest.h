#pragma once
// recording.json beside a kept recording: what an export needs to know of it besides the frame
// files and the sound.

#include "core/frame_period.h"

#include <string>

struct RecordingManifest {
    int frameCount = 0;
    int framePeriodMs = kDefaultFramePeriodMs;
    int width = 0;  // of the stored frames
    int height = 0;
    std::string deck;
    bool audio = false;
};

// Writes folder/recording.json. Throws DeckrecError when it cannot.
void WriteRecordingManifest(const std::string& folder, const RecordingManifest& manifest);
// Reads folder/recording.json; a manifest without "framePeriodMs" was kept at the default
// period. Throws DeckrecError naming what is wrong: no such file, not JSON, no positive
// "FrameCount", or a "framePeriodMs" that is not positive.
RecordingManifest ReadRecordingManifest(const std::string& folder);
