#pragma once
// Frame files: one per stored frame slot, a zlib stream of a 24-bit BMP file image.
// A slot without a file repeats the picture of the slot before it.

#include "app/picture.h"

// Writes picture (pf24bit) as the frame file of slot n, creating or replacing it.
void SaveFrame(const Picture& picture, int n);

// Reads the frame file of slot n into picture. Readers test that the file exists first.
void LoadFrame(int n, Picture& picture);

// True when slot n has a frame file.
bool FrameExists(int n);
