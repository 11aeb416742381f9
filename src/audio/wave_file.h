// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// WAVE files through libsndfile: the format a file declares, and a writer that encodes
// 16-bit samples into a declared format as they come.

#include <cstdint>
#include <memory>
#include <string>

struct WaveFormat {
    int sndfileFormat = 0; // libsndfile's major | subtype
    int rate = 0;
    int channels = 0;
};

// The format path declares; throws DeckrecError when it is no sound file or one that can't be
// written as a RIFF WAVE file again.
WaveFormat ReadDeclaredFormat(const std::string& path);

// How long the sound in path plays, in ms; -1 when it is no sound file libsndfile reads.
long long SoundLengthMs(const std::string& path);

class WaveFileWriter {
public:
    // Creates a new file at path (never writing into an old one); throws DeckrecError.
    WaveFileWriter(const std::string& path, const WaveFormat& format);
    ~WaveFileWriter();

    WaveFileWriter(const WaveFileWriter&) = delete;
    WaveFileWriter& operator=(const WaveFileWriter&) = delete;

    // frames × channels interleaved samples.
    void write(const int16_t* samples, size_t frames);
    void writeSilence(size_t frames);
    // Frames in one coded block: the recording ends on a block boundary, so that its length
    // is what was recorded and not padded to the next block. 1 for PCM.
    size_t framesPerBlock() const { return framesPerBlock_; }
    // Completes the header; throws DeckrecError when anything could not be written.
    void finish();

private:
    struct Closer {
        void operator()(void* f) const;
    };
    std::unique_ptr<void, Closer> file_;
    std::string path_;
    int channels_;
    size_t framesPerBlock_ = 1;
    bool failed_ = false;
};
