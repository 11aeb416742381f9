#pragma once
// Save to GIF without widgets: the windows and the command line write an animation through
// this, with a progress report and a way to stop after any frame.

#include "gif/gif_cancelled.h"
#include "gif/gif_image.h"

#include <functional>
#include <string>

struct GifSaveHooks {
    // After each frame written: frames written so far and their count.
    std::function<void(int written, int count)> progress;
    // Asked before the first frame and after each one; true stops the save (GifCancelled).
    std::function<bool()> cancelled;
};

// Writes the animation into a new file beside path that replaces path only when complete:
// a failure or a cancel leaves a file already at path as it was and no new file behind.
// Errors: "Cannot create file <path>", the system's write-error text, the GIF writer's own.
void SaveGifFile(TGIFImage& animation, const std::string& path, const GifSaveHooks& hooks = {});
