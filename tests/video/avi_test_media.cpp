// SPDX-License-Identifier: GPL-3.0-or-later
#include "avi_test_media.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

Picture SlidePicture(int width, int height, int variant)
{
    Picture picture(width, height, TPixelFormat::pf24bit);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = picture.scanLine(y);
        for (int x = 0; x < width; ++x) {
            uint8_t b = 255, g = 255, r = 255;
            if (y < height / 6) {
                b = 140; g = 70; r = 30; // title bar
            } else if ((y / 4) % 3 == 0 && x > width / 12 && x < width - width / 12 &&
                       ((x + variant * 7) / 3 + (y / 12) * 5) % 11 < 7) {
                b = g = r = 25; // text strokes
            } else if (y > height * 3 / 4 && x < width / 3) {
                b = 40; g = 150; r = 230; // a coloured picture area
            }
            row[3 * x] = b;
            row[3 * x + 1] = g;
            row[3 * x + 2] = r;
        }
    }
    return picture;
}

Picture TexturedGreyPicture(int width, int height, int variant)
{
    Picture picture = SlidePicture(width, height, variant);
    uint32_t noise = 12345u + static_cast<uint32_t>(variant);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = picture.scanLine(y) + 3 * x;
            int grey = (p[0] + p[1] + p[2]) / 3;
            if (x >= width / 2 && y >= height / 3) {
                noise = noise * 1103515245u + 12345u;
                grey = 96 + (x * 64 / width) + static_cast<int>((noise >> 16) % 48);
            }
            p[0] = p[1] = p[2] = static_cast<uint8_t>(grey);
        }
    return picture;
}

Picture GradientPicture(int width, int height)
{
    Picture picture(width, height, TPixelFormat::pf24bit);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = picture.scanLine(y) + 3 * x;
            p[0] = static_cast<uint8_t>(x * 255 / std::max(1, width - 1));
            p[1] = static_cast<uint8_t>(y * 255 / std::max(1, height - 1));
            p[2] = static_cast<uint8_t>((x + y) * 127 / std::max(1, width + height - 2) + 64);
        }
    return picture;
}

std::vector<uint8_t> PackedBgr(const Picture& picture)
{
    std::vector<uint8_t> bytes;
    for (int y = 0; y < picture.height(); ++y)
        bytes.insert(bytes.end(), picture.scanLine(y), picture.scanLine(y) + 3 * picture.width());
    return bytes;
}

int64_t WriteToneWav(const std::string& path, int subtype, int rate, int channels, double seconds)
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | subtype;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file)
        throw std::runtime_error("cannot write " + path);
    const int64_t frames = static_cast<int64_t>(seconds * rate);
    std::vector<short> samples(static_cast<size_t>(frames * channels));
    for (int64_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            samples[static_cast<size_t>(i * channels + c)] =
                static_cast<short>(8000 * std::sin(2 * M_PI * 440 * static_cast<double>(i) / rate));
    sf_writef_short(file, samples.data(), frames);
    sf_close(file);
    return frames;
}
