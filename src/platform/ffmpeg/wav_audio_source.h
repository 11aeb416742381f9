// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The audio stream of a WAV file, read packet by packet for copying into an AVI file as it is:
// no conversion, no re-encoding.

#include "core/deckrec_error.h"

#include <memory>
#include <string>

struct AVCodecParameters;
struct AVFormatContext;
struct AVPacket;
struct AVStream;

// The WAV file could not be opened or read as a WAV file; the text says why.
class AudioFileOpenError : public DeckrecError {
public:
    using DeckrecError::DeckrecError;
};

class WavAudioSource {
public:
    // Opens path through the WAV reader; raises AudioFileOpenError with the text for the
    // failure (see OpenErrorText), or DeckrecError "Unable to get audio stream" when it holds
    // no audio.
    explicit WavAudioSource(const std::string& path);
    ~WavAudioSource();
    WavAudioSource(const WavAudioSource&) = delete;
    WavAudioSource& operator=(const WavAudioSource&) = delete;

    AVStream* stream() const { return stream_; }
    // The next packet of the audio stream; false at the end. A read error raises nothing
    // and is returned in error (a negative library code), 0 at a clean end.
    bool read(AVPacket* packet, int& error);

private:
    AVFormatContext* context_ = nullptr;
    AVStream* stream_ = nullptr;
};

// The message for a failure to open a WAV file with the library's error code.
std::string OpenErrorText(int code);

// Sets the stream's byte rate from its block size and samples per block, rounded to the
// nearest byte. WAV writers round the rate of ADPCM down (5588 instead of 5588.9 bytes/s at
// 11025 Hz), and players that time AVI audio by it drift by up to half a second an hour.
void MendAudioByteRate(AVCodecParameters* parameters);
