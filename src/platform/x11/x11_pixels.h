// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Conversion of X image rows (any true-colour layout) into 24-bit B,G,R picture rows.

#include "core/picture.h"

typedef struct _XImage XImage;

// Copies image (w x h) into picture at (dx, dy); the picture must hold that area.
void CopyXImageToPicture(XImage* image, Picture& picture, int dx, int dy);
