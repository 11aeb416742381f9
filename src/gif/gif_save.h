// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Save to GIF without widgets: the windows and the command line write an animation through
// this, with a progress report and a way to stop after any frame.

#include "core/progress.h"
#include "gif/gif_cancelled.h"
#include "gif/gif_image.h"

#include <string>

// Writes the animation into a new file beside path that replaces path only when complete:
// a failure or a cancel leaves a file already at path as it was and no new file behind.
// After each frame written, progress reports the frames written of their count and idles;
// its cancel is asked before the first frame and after each one and raises GifCancelled.
// Errors: "Cannot create file <path>", the system's write-error text, the GIF writer's own.
void SaveGifFile(TGIFImage& animation, const std::string& path, const Progress& progress = {});
