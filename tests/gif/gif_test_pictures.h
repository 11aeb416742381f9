// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Pictures for the GIF tests: grey fields whose grey palette index equals their value, and
// slides with a moving cursor box.

#include "core/picture.h"

#include <cstdint>
#include <functional>

// Every pixel (r = g = b) gets value(x, y); the grey palette maps it to that index.
Picture GreyPicture(int width, int height, const std::function<int(int x, int y)>& value);
// A white slide with dark text lines, a blue title band and a cursor box at (cx, cy).
Picture SlidePicture(int width, int height, int cx, int cy, int variant = 0);
void FillRect(Picture& p, int x0, int y0, int w, int h, uint8_t r, uint8_t g, uint8_t b);
