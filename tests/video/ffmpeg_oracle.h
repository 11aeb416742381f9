// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What Debian's ffprobe and ffmpeg read from a file: the independent judge of the AVI files
// the writer produces.

#include <cstdint>
#include <string>
#include <vector>

struct ProbedStream {
    std::string type;      // "video" or "audio"
    std::string codec;     // codec_name
    std::string tag;       // codec_tag_string
    std::string pixelFormat;
    std::string frameRate; // r_frame_rate, e.g. "20/3"
    int width = 0;
    int height = 0;
    int sampleRate = 0;
    int channels = 0;
    int64_t packets = 0;
};

// The file's streams in file order; empty when ffprobe cannot read the file.
std::vector<ProbedStream> ProbeStreams(const std::string& path);

// Every frame of the first video stream as B, G, R bytes, rows top-down and unpadded.
std::vector<std::vector<uint8_t>> DecodeVideoFrames(const std::string& path, int width, int height);

// The same frames as B, G, R, A bytes, with the alpha the decoder reads from the file.
std::vector<std::vector<uint8_t>> DecodeVideoFramesBgra(const std::string& path, int width, int height);

// Sum of the first video stream's packet sizes: the compressed pictures without the file's
// headers and index.
int64_t VideoStreamBytes(const std::string& path);

// Key-frame flags of the first video stream's packets, in file order.
std::vector<bool> VideoKeyFlags(const std::string& path);

// The first audio stream decoded to interleaved 16-bit samples at its own rate and channels.
std::vector<int16_t> DecodeAudioSamples(const std::string& path);

// Where a stream's packets start and end in seconds, by their timestamps and durations
// (selector as ffprobe takes it: "v:0", "a:0"); zeros when the stream has no packets.
struct StreamSpan {
    double start = 0;
    double end = 0;
    int packets = 0;
};
StreamSpan ProbeStreamSpan(const std::string& path, const char* selector);

// Peak signal-to-noise ratio in dB of two equally sized byte images; 99 when equal.
double Psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b);
