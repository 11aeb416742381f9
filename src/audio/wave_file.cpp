// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/wave_file.h"

#include "core/deckrec_error.h"

#include <sndfile.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

WaveFormat ReadDeclaredFormat(const std::string& path)
{
    SF_INFO info;
    std::memset(&info, 0, sizeof info);
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    if (!f)
        throw DeckrecError("Can not open the sound file " + path + ": " + sf_strerror(nullptr));
    sf_close(f);
    WaveFormat format{SF_FORMAT_WAV | (info.format & SF_FORMAT_SUBMASK), info.samplerate, info.channels};
    SF_INFO check;
    std::memset(&check, 0, sizeof check);
    check.format = format.sndfileFormat;
    check.samplerate = format.rate;
    check.channels = format.channels;
    if (!sf_format_check(&check))
        throw DeckrecError("The sound format of " + path + " can not be recorded");
    return format;
}

namespace {

uint32_t Le(const uint8_t* p, int bytes)
{
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}

// The block size of an ADPCM file as its header states it; 1 for anything else. The header
// of a new file is on disk from its creation.
size_t FramesPerBlockOnDisk(const std::string& path)
{
    std::vector<uint8_t> head(512);
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return 1;
    head.resize(std::fread(head.data(), 1, head.size(), f));
    std::fclose(f);
    for (size_t at = 12; at + 8 <= head.size();) {
        const uint32_t size = Le(&head[at + 4], 4);
        if (std::memcmp(&head[at], "fmt ", 4) == 0 && at + 8 + 22 <= head.size() && size >= 20) {
            const uint32_t tag = Le(&head[at + 8], 2);
            const uint32_t extra = Le(&head[at + 8 + 16], 2);
            const uint32_t frames = Le(&head[at + 8 + 18], 2);
            const bool adpcm = tag == 0x0002 || tag == 0x0011;
            return adpcm && extra >= 2 && frames > 0 ? frames : 1;
        }
        at += 8 + size + (size & 1);
    }
    return 1;
}

} // namespace

void WaveFileWriter::Closer::operator()(void* f) const
{
    sf_close(static_cast<SNDFILE*>(f));
}

WaveFileWriter::WaveFileWriter(const std::string& path, const WaveFormat& format)
    : path_(path), channels_(format.channels)
{
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
    SF_INFO info;
    std::memset(&info, 0, sizeof info);
    info.format = format.sndfileFormat;
    info.samplerate = format.rate;
    info.channels = format.channels;
    file_.reset(sf_open(path.c_str(), SFM_WRITE, &info));
    if (!file_)
        throw DeckrecError("Can not create the sound file " + path + ": " + sf_strerror(nullptr));
    framesPerBlock_ = FramesPerBlockOnDisk(path);
}

WaveFileWriter::~WaveFileWriter() = default;

void WaveFileWriter::write(const int16_t* samples, size_t frames)
{
    if (frames == 0 || failed_)
        return;
    if (sf_writef_short(static_cast<SNDFILE*>(file_.get()), samples, sf_count_t(frames)) != sf_count_t(frames))
        failed_ = true;
}

void WaveFileWriter::writeSilence(size_t frames)
{
    static const int16_t zeros[4096] = {};
    const size_t chunk = sizeof zeros / sizeof zeros[0] / size_t(channels_);
    while (frames > 0) {
        const size_t n = frames < chunk ? frames : chunk;
        write(zeros, n);
        frames -= n;
    }
}

void WaveFileWriter::finish()
{
    if (!file_)
        return;
    const int closed = sf_close(static_cast<SNDFILE*>(file_.release()));
    if (failed_ || closed != 0)
        throw DeckrecError("Can not write the sound file " + path_);
}

long long SoundLengthMs(const std::string& path)
{
    SF_INFO info{};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    if (!f)
        return -1;
    sf_close(f);
    if (info.samplerate <= 0)
        return -1;
    return static_cast<long long>(info.frames) * 1000 / info.samplerate;
}
