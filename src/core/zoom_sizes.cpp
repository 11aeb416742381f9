// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/zoom_sizes.h"

#include "core/frame_store.h"
#include "core/slot_reader.h"

#include <algorithm>
#include <cmath>

namespace {

bool Known(ZoomSize recorded)
{
    return recorded.width > 0 && recorded.height > 0;
}

// width x h / w, to the nearest even number (never below 2).
int EvenHeightFor(int width, ZoomSize recorded)
{
    const double height = static_cast<double>(width) * recorded.height / recorded.width;
    const int even = 2 * static_cast<int>(std::lround(height / 2));
    return even < 2 ? 2 : even;
}

} // namespace

bool HasListedShape(ZoomSize recorded)
{
    if (!Known(recorded))
        return true;
    const double aspect = static_cast<double>(recorded.width) / recorded.height;
    return std::fabs(aspect / (4.0 / 3.0) - 1.0) <= 0.05;
}

ZoomSize ZoomSizeFor(int index, ZoomSize recorded, OriginalSides sides)
{
    if (index == kOriginalSizeItem && Known(recorded)) {
        if (sides == OriginalSides::AsRecorded)
            return recorded;
        // Rounded down; a side of 1 cannot be rounded down to something an encoder takes.
        return {std::max(2, recorded.width & ~1), std::max(2, recorded.height & ~1)};
    }
    const ZoomSize listed = index >= 0 && index < kOriginalSizeItem ? kZoomSizes[index] : kZoomSizes[0];
    if (HasListedShape(recorded))
        return listed;
    return {listed.width, EvenHeightFor(listed.width, recorded)};
}

std::string ZoomCaption(int index, ZoomSize recorded, OriginalSides sides)
{
    const ZoomSize size = ZoomSizeFor(index, recorded, sides);
    const std::string numbers = std::to_string(size.width) + "x" + std::to_string(size.height);
    if (index != kOriginalSizeItem)
        return numbers;
    return Known(recorded) ? "Original size (" + numbers + ")" : "Original size";
}

ZoomSize RecordingSize(const WorkingFiles& files, int frameCount)
{
    // One listing of the folder, not a test per slot up to the first stored one.
    const SlotReader reader(files, frameCount);
    Picture first;
    if (!reader.Read(reader.firstStored(), first))
        return kUnknownRecording;
    return {first.width(), first.height()};
}
