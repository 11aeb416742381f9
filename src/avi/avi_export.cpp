#include "avi/avi_export.h"

#include "app/frame_store.h"
#include "avi/avi_writer.h"

#include <utility>

ZoomSize ZoomSizeFor(int index)
{
    static constexpr ZoomSize kSizes[] = {{560, 420}, {480, 360}, {360, 270}, {240, 180}, {120, 90}};
    return index >= 0 && index < 5 ? kSizes[index] : kSizes[0];
}

void AppendFrameSlots(TAviWriter_2& writer, int frameCount, const std::function<void(int k)>& beforeSlot)
{
    // Only stored slots are read; a still slide costs one file and one read.
    Picture previous;
    Picture current;
    for (int k = 0; k < frameCount; ++k) {
        if (beforeSlot)
            beforeSlot(k);
        if (FrameExists(k + 1)) {
            LoadFrame(k + 1, current);
            std::swap(previous, current);
        }
        writer.AppendFrame(previous);
    }
}
