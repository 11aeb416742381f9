// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The output sizes the "Zoom:" lists of the video and GIF pages offer, in list order, shaped
// after the recording they export.

#include "core/working_files.h"

#include <array>
#include <string>

struct ZoomSize {
    int width;
    int height;
    bool operator==(const ZoomSize&) const = default;
};

// 560 x 420, 480 x 360, 360 x 270, 240 x 180, 120 x 90: the lists' listed items, first to last.
constexpr std::array<ZoomSize, 5> kZoomSizes = {{{560, 420}, {480, 360}, {360, 270}, {240, 180}, {120, 90}}};
// The last item of both lists: the recording's own size. Behind the listed sizes, so that
// their indexes keep their meaning.
constexpr int kOriginalSizeItem = static_cast<int>(kZoomSizes.size());
constexpr int kZoomItemCount = kOriginalSizeItem + 1;

// A recording whose size is not known (no frame stored yet) is {0, 0}.
constexpr ZoomSize kUnknownRecording = {0, 0};

// Within 5 % of 4:3 a recording keeps the listed sizes exactly (the default capture, 595 x 466
// trimmed, is such a one); an unknown recording too.
bool HasListedShape(ZoomSize recorded);

// Whether the "Original size" of a recording may have odd sides: a GIF may, video encoders
// need even ones (odd sides are rounded down).
enum class OriginalSides { AsRecorded, Even };

// Size of list item index for a recording of the given size. A listed width keeps its width,
// and its height follows the recording's shape (rounded to the nearest even number) unless
// HasListedShape. Any index outside the list, no selection included, gives the first item;
// "Original size" of an unknown recording too.
ZoomSize ZoomSizeFor(int index, ZoomSize recorded = kUnknownRecording, OriginalSides sides = OriginalSides::Even);

// The caption of list item index, "560x420" style; "Original size (1280x716)" for the last
// item of a known recording, "Original size" otherwise.
std::string ZoomCaption(int index, ZoomSize recorded, OriginalSides sides);

// The size of the recording's pictures: that of the first stored frame of slots 1..frameCount,
// kUnknownRecording without one. Errors of the frame store pass through.
ZoomSize RecordingSize(const WorkingFiles& files, int frameCount);
