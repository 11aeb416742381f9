#pragma once
// The Save AVI command's rules that need no window: the output size of each "Zoom:" item and
// the frame loop that feeds the writer one picture per frame slot.

#include <functional>

class TAviWriter_2;

struct ZoomSize {
    int width;
    int height;
};

// "560x420", "480x360", "360x270", "240x180", "120x90" for items 0..4; any other index
// (no selection included) gives 560 x 420.
ZoomSize ZoomSizeFor(int index);

// Appends slots 1..frameCount to an opened writer: each slot's frame file, or for a slot the
// recorder did not store, the picture of the slot before it (a newly created, empty picture
// before the first stored one). beforeSlot(k) runs before slot k + 1 is read.
void AppendFrameSlots(TAviWriter_2& writer, int frameCount, const std::function<void(int k)>& beforeSlot);
