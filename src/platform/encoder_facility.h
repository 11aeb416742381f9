// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The video encoders the AVI export can compress with: a catalogue of encoders with an AVI
// FourCC, a test whether an encoder takes frames of a given size and bit depth, the encoder's
// own settings (kept for the rest of the run), and the compression itself.
//
// An encoder is addressed by its code: the four characters of its FourCC as they stand in the
// file ("DIVX", "WMV2", "tga "). Codes are compared byte for byte, letter case included.

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

struct AVCodecParameters;
struct AVFrame;
struct AVPacket;

struct EncoderEntry {
    std::string code; // exactly 4 characters
    std::string name; // the encoder's short name, e.g. "mpeg4"
};

// One of an encoder's own settings, described well enough to build an editor for it.
struct EncoderOption {
    enum class Kind { Integer, Real, Boolean, Choice, Flags, Text };
    std::string name;
    std::string help;
    Kind kind = Kind::Text;
    double minimum = 0;
    double maximum = 0;
    // Named values of a Choice, or the single flags of Flags.
    std::vector<std::pair<std::string, int64_t>> constants;
    std::string defaultValue; // as text, in the form value holds
    std::string value;        // the value in use: set by the user, else the default
};

// Everything a compression run needs to know about its frames and the user's choices.
struct CompressorSettings {
    std::string code;
    int width = 0;
    int height = 0;
    int bitCount = 24;      // 1, 4, 8, 24 or 32 bits per pixel of the uncompressed frames
    double frameTime = 150; // milliseconds per frame (30 frames a second: 33.33)
    int quality = 5000;     // 0 (smallest) .. 10000 (best)
    int keyFrameEvery = 0;  // frames between key frames; 0 leaves the encoder's default
    // The stream goes into a container that keeps the codec's headers once, in the stream
    // description (MP4, WebM, Matroska), rather than before key frames.
    bool globalHeader = false;
    // Encode at the encoder's quickest settings where it has them (VP9: realtime deadline,
    // top speed, row threads; x264 below the best qualities: preset "veryfast"); a setting
    // chosen with the encoder's own options still wins.
    bool quick = false;
};

// Receives each compressed packet; pts and dts count frames.
using PacketSink = std::function<void(AVPacket* packet)>;

class FrameCompressor {
public:
    virtual ~FrameCompressor() = default;
    // Fills the stream description a container needs: codec, FourCC, size, extra data.
    virtual void describeStream(AVCodecParameters* parameters) const = 0;
    // Compresses one uncompressed frame (BGR24, BGRA taken as BGR0, or PAL8 with its palette
    // and the bit depth of CompressorSettings). nullptr drains the encoder at the end.
    // Failures raise DeckrecError-derived exceptions carrying the library's code.
    virtual void compress(const AVFrame* frame, const PacketSink& sink) = 0;
    // Compresses frame as the next frame where the caller knows it shows the same picture as
    // the previous call's (a slot that repeats the one before): an encoder may keep its
    // converted copy instead of converting it again. The default compresses it afresh.
    virtual void compressSame(const AVFrame* frame, const PacketSink& sink) { compress(frame, sink); }
};

// A failure of the encoding library; code is the library's (negative) error number.
class EncoderError : public std::runtime_error {
public:
    EncoderError(const std::string& message, int code) : std::runtime_error(message), code_(code) {}
    int code() const { return code_; }

private:
    int code_;
};

class EncoderFacility {
public:
    virtual ~EncoderFacility() = default;

    // Every encoder of the catalogue, in a fixed order, whether or not it takes any frames.
    virtual std::vector<EncoderEntry> encoders() = 0;
    // True when the encoder opens for frames of this size, frame time and bit depth in a
    // pixel format of its own; the answer is remembered for the same question.
    virtual bool accepts(const std::string& code, int width, int height, int bitCount, double frameTime) = 0;

    // How the 0..10000 quality reaches this encoder, for the user; empty when it has no
    // quality scale (lossless encoders, and the few lossy ones without a control).
    virtual std::string qualityScale(const std::string& code) = 0;

    // The encoder's own settings with the values in use.
    virtual std::vector<EncoderOption> options(const std::string& code) = 0;
    // Keeps value for this option of this encoder for every later compression; it wins over
    // the quality's mapping onto the same control. An invalid value raises DeckrecError and
    // keeps the previous one.
    virtual void setOption(const std::string& code, const std::string& name, const std::string& value) = 0;

    // Opens the encoder for a compression run; raises EncoderError when it won't open.
    virtual std::unique_ptr<FrameCompressor> openCompressor(const CompressorSettings& settings) = 0;
};

