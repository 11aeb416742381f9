// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench_pictures.h"

#include <random>

Picture TextPagePicture(int width, int height, int variant)
{
    Picture p(width, height);
    std::mt19937 rng(static_cast<unsigned>(variant) + 7);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = p.scanLine(y);
        const bool titleBand = y < height / 6;
        for (int x = 0; x < width; ++x) {
            uint8_t b = 255, g = 255, r = 255;
            if (titleBand) {
                b = 140; g = 70; r = 30;
            }
            row[3 * x] = b;
            row[3 * x + 1] = g;
            row[3 * x + 2] = r;
        }
    }
    // Lines of words: short dark runs with anti-aliased grey edges.
    for (int line = 0; line < 12; ++line) {
        const int top = height / 5 + line * 26 + variant % 3;
        for (int x = 40; x < width - 40;) {
            const int word = 8 + static_cast<int>(rng() % 50);
            for (int y = top; y < top + 12 && y < height; ++y)
                for (int k = x; k < x + word && k < width; ++k) {
                    const uint8_t shade = (k == x || k == x + word - 1) ? 160 : static_cast<uint8_t>(20 + rng() % 30);
                    uint8_t* px = p.scanLine(y) + 3 * k;
                    px[0] = px[1] = px[2] = shade;
                }
            x += word + 6;
        }
    }
    return p;
}

Picture NoisePicture(int width, int height, unsigned seed)
{
    Picture p(width, height);
    std::mt19937 rng(seed);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width * 3; ++x)
            p.scanLine(y)[x] = static_cast<uint8_t>(rng());
    return p;
}
