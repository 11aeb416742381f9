// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The recording's sound in a container other than AVI: re-encoded into the codec the
// container's players expect (AAC, Opus), or copied as it is where the container holds the
// WAV's own codec. The sound ends with the pictures: what lies beyond is not written.

#include <cstdint>
#include <memory>
#include <string>

struct AVFormatContext;

class ContainerSound {
public:
    // Opens wavPath and adds an audio stream to output, whose header is not written yet.
    // encoderName is the libavcodec encoder ("aac", "libopus", "pcm_s16le"), or empty to
    // copy the WAV's packets unchanged. Raises DeckrecError when the WAV cannot be read or
    // the encoder won't open.
    ContainerSound(const std::string& wavPath, AVFormatContext* output, const std::string& encoderName);
    ~ContainerSound();
    ContainerSound(const ContainerSound&) = delete;
    ContainerSound& operator=(const ContainerSound&) = delete;

    // Writes the sound up to milliseconds from its start (after the header is written).
    void writeUntil(int64_t milliseconds);
    // Writes the rest up to milliseconds and drains the encoder.
    void finish(int64_t milliseconds);

private:
    struct State;
    std::unique_ptr<State> state_;
};
