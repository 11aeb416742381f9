// SPDX-License-Identifier: GPL-3.0-or-later
#include "gif/palettes.h"

namespace {

ColorPalette MakeGray256()
{
    ColorPalette p(256);
    for (int i = 0; i < 256; ++i)
        p[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i), 0};
    return p;
}

ColorPalette MakeWeb216()
{
    ColorPalette p;
    p.reserve(216);
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                p.push_back({static_cast<uint8_t>(51 * r), static_cast<uint8_t>(51 * g), static_cast<uint8_t>(51 * b), 0});
    return p;
}

ColorPalette MakeSystem20()
{
    return {
        {0x00, 0x00, 0x00, 0}, {0x80, 0x00, 0x00, 0}, {0x00, 0x80, 0x00, 0}, {0x80, 0x80, 0x00, 0},
        {0x00, 0x00, 0x80, 0}, {0x80, 0x00, 0x80, 0}, {0x00, 0x80, 0x80, 0}, {0xC0, 0xC0, 0xC0, 0},
        {0xC0, 0xDC, 0xC0, 0}, {0xA6, 0xCA, 0xF0, 0},
        {0xFF, 0xFB, 0xF0, 0}, {0xA0, 0xA0, 0xA4, 0},
        {0x80, 0x80, 0x80, 0}, {0xFF, 0x00, 0x00, 0}, {0x00, 0xFF, 0x00, 0}, {0xFF, 0xFF, 0x00, 0},
        {0x00, 0x00, 0xFF, 0}, {0xFF, 0x00, 0xFF, 0}, {0x00, 0xFF, 0xFF, 0}, {0xFF, 0xFF, 0xFF, 0},
    };
}

ColorPalette MakeHalftone256()
{
    const ColorPalette& system = SystemPalette20();
    ColorPalette p(system.begin(), system.begin() + 10);
    const ColorPalette& cube = WebPalette216();
    p.insert(p.end(), cube.begin(), cube.end());
    // Greys between the cube's steps of 51.
    for (int i = 1; i <= 20; ++i) {
        const auto v = static_cast<uint8_t>(i * 255 / 21);
        p.push_back({v, v, v, 0});
    }
    p.insert(p.end(), system.begin() + 10, system.end());
    return p;
}

} // namespace

const ColorPalette& GrayPalette256()
{
    static const ColorPalette p = MakeGray256();
    return p;
}

const ColorPalette& WebPalette216()
{
    static const ColorPalette p = MakeWeb216();
    return p;
}

const ColorPalette& SystemGray4()
{
    static const ColorPalette p = {{0x00, 0x00, 0x00, 0}, {0x80, 0x80, 0x80, 0}, {0xC0, 0xC0, 0xC0, 0}, {0xFF, 0xFF, 0xFF, 0}};
    return p;
}

const ColorPalette& BlackWhitePalette()
{
    static const ColorPalette p = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    return p;
}

const ColorPalette& SystemPalette20()
{
    static const ColorPalette p = MakeSystem20();
    return p;
}

const ColorPalette& HalftonePalette256()
{
    static const ColorPalette p = MakeHalftone256();
    return p;
}
