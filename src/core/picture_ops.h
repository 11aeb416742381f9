// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Picture comparison and scaling shared by the recorder and the exporters.

#include "core/picture.h"

// True when both pictures have the same size and every pixel's colour bytes are equal.
// Stops at the first difference; two empty pictures are the same.
bool SameImage(const Picture& a, const Picture& b);

// Stretches a 24-bit picture to w x h by nearest-neighbour sampling: rows and columns are
// dropped or repeated, no colour is ever blended. The result stays 24-bit.
void ScaleBitmapInPlace(Picture& picture, int w, int h);
