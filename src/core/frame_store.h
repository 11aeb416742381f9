// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Frame files: one per stored frame slot, a zlib stream of a 24-bit BMP file image.
// A slot without a file repeats the picture of the slot before it.

#include "core/picture.h"
#include "core/working_files.h"

// Writes picture (pf24bit) as the frame file of slot n, creating or replacing it.
void SaveFrame(const WorkingFiles& files, const Picture& picture, int n);

// Reads the frame file of slot n into picture. Readers test that the file exists first.
void LoadFrame(const WorkingFiles& files, int n, Picture& picture);

// True when slot n has a frame file.
bool FrameExists(const WorkingFiles& files, int n);
