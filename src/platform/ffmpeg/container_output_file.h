// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The output file of an MP4, WebM or Matroska export: the pictures compressed as they come,
// the recording's sound beside them in the codec the container's players expect. Everything
// goes straight into the file in one pass; the file is complete only after close().

#include "core/picture.h"
#include "core/slide_timeline.h"
#include "platform/encoder_facility.h"
#include "platform/ffmpeg/container_format.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct ContainerPlan {
    VideoFormat format = VideoFormat::Mp4;
    // The encoder and its frames; bitCount 24 or 32, frameTime the slot period. globalHeader
    // is set here from the container.
    CompressorSettings compression;
    // The colours of indexed pictures (0x00RRGGBB): they reach the encoder as true colour.
    std::vector<uint32_t> palette;
    std::string soundFile; // a WAV file, or empty for a video without sound
    // Named chapters, in ms; none leaves the file without a chapter list.
    std::vector<TimedText> chapters;
    // Captions, in ms and in order, as plain text (lines joined by '\n'): a subtitle track of
    // the container's own kind (MP4 mov_text, WebM and Matroska WebVTT); none, no track.
    std::vector<TimedText> captions;
};

class ContainerOutputFile {
public:
    // Creates path, opens the encoder and the sound and writes the header. Failures raise
    // DeckrecError (EncoderError for the encoder) naming shownName, the user's file.
    ContainerOutputFile(EncoderFacility& facility, const std::string& path, const std::string& shownName,
                        const ContainerPlan& plan);
    ~ContainerOutputFile();
    ContainerOutputFile(const ContainerOutputFile&) = delete;
    ContainerOutputFile& operator=(const ContainerOutputFile&) = delete;

    // Adds a picture of the plan's size in any of the export's pixel formats as the next frame.
    void writeFrame(const Picture& picture);
    // Adds the picture of the last writeFrame again as the next frame.
    void repeatFrame();
    // Adds the sound (and the captions that start before it) up to milliseconds from the start.
    void writeSoundUntil(int64_t milliseconds);
    // Drains the encoder and ends the sound at milliseconds.
    void endStreams(int64_t milliseconds);
    // Writes the index and closes the file.
    void close();

private:
    struct State;
    std::unique_ptr<State> state_;
};
