// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How far apart two colours look, for the High Fidelity tolerance: a weighted RGB distance,
// green counting most and red least as the eye sees them, scaled so that a grey step of D levels
// is a distance of D:  sqrt((2 dR^2 + 4 dG^2 + 3 dB^2) / 9). Kept in whole numbers: the square
// times 9 is compared with 9 D^2.

#include <cstdint>

inline int ColourDistanceSquared9(uint32_t a, uint32_t b)
{
    const int dr = static_cast<int>((a >> 16) & 0xFF) - static_cast<int>((b >> 16) & 0xFF);
    const int dg = static_cast<int>((a >> 8) & 0xFF) - static_cast<int>((b >> 8) & 0xFF);
    const int db = static_cast<int>(a & 0xFF) - static_cast<int>(b & 0xFF);
    return 2 * dr * dr + 4 * dg * dg + 3 * db * db;
}

// Within tolerance: the two colours may stand for each other. Tolerance 0 asks for equality.
inline bool WithinTolerance(uint32_t a, uint32_t b, int tolerance)
{
    return ColourDistanceSquared9(a, b) <= 9 * tolerance * tolerance;
}

// The largest tolerance the program takes: beyond it a slide's text would melt into its background.
constexpr int kMaxGifTolerance = 64;
