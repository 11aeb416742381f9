// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A GIF that fits a size limit (a chat's or a wiki's upload limit): the build searches the
// settings the program controls, best picture first, for the first that fits. At each output
// size it walks a ladder of High Fidelity tolerances and colour counts; only when the cheapest
// step of a size is still too large does it try the next, smaller size. The recording's frames
// are read and scaled once per size and every build of that size reuses them; no step is built
// twice.

#include "core/byte_size_text.h"
#include "core/frame_period.h"
#include "core/progress.h"
#include "core/working_files.h"
#include "gif/gif_animation_builder.h"
#include "gif/gif_image.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

// One point of the search: an output size and the High Fidelity settings.
struct GifBudgetStep {
    int width = 0;
    int height = 0;
    int tolerance = 0;
    int colors = 256;
};

// The steps tried at one size, best picture first: (tolerance, colours).
const std::vector<std::pair<int, int>>& GifBudgetLadder();

struct GifBudgetRequest {
    long long maxBytes = 0;
    // Output sizes to try, largest first.
    std::vector<std::pair<int, int>> sizes;
    // Every option besides size, tolerance and colours (High Fidelity is always on).
    GifBuildOptions options;
    size_t memoryBound = kGifFramesInMemory;
    double framePeriodMs = kDefaultFramePeriodMs;
};

struct GifBudgetResult {
    // The animation of the chosen step, packed; null when not even the last step fits.
    std::unique_ptr<TGIFImage> animation;
    GifBudgetStep chosen;
    long long bytes = 0;
    // When nothing fits: the cheapest step of the smallest size and its bytes.
    GifBudgetStep smallest;
    long long smallestBytes = 0;
    // Animations built (each step at most once) and sizes read.
    int builds = 0;
    int sizesRead = 0;
};

// Runs the search over frame slots 1..frameCount. progress reports the slots of each build
// (and of each reading) and is asked to cancel before each slot: GifCancelled. Writes nothing.
GifBudgetResult FitGifToBudget(const WorkingFiles& files, int frameCount, const GifBudgetRequest& request,
                               const Progress& progress = {});

// "560 x 316, tolerance 6: 7.6 MB" (and ", 64 colours" when fewer than 256).
std::string GifBudgetChoiceText(const GifBudgetStep& step, long long bytes);

// A size limit as typed: a number, decimals allowed, and an optional k, M or G (powers of 1000,
// upper or lower case) with an optional B: "8M", "500k", "1.5MB", "120000". False for anything
// else and for less than one byte.
bool ParseGifByteLimit(const std::string& text, long long& bytes);
