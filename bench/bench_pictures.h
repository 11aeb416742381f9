// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Realistic pictures for benchmarks: a slide of text lines, and noise as the worst case.

#include "core/picture.h"

// A white slide with a title bar and dark "text" strokes, the size of the capture area.
Picture TextPagePicture(int width = 595, int height = 466, int variant = 0);

// Every byte random: what zlib cannot compress.
Picture NoisePicture(int width = 595, int height = 466, unsigned seed = 1);
