// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reads a recording slot by slot, the rule every exporter shares: a slot with a frame file
// shows its stored picture; a slot without one repeats the picture of the slot before it
// (nothing, before the first stored slot). The working directory is listed once when the
// reader is made, so a long recording costs one directory read rather than a test per slot.

#include "core/picture.h"
#include "core/working_files.h"

#include <vector>

class SlotReader {
public:
    // Slots 1..frameCount of files' frame store.
    SlotReader(const WorkingFiles& files, int frameCount);

    int frameCount() const { return frameCount_; }
    // True when slot n (1-based) has a frame file of its own.
    bool Stored(int n) const;
    // The number of slots with a frame file.
    int storedCount() const { return storedCount_; }
    // The first stored slot, 0 when there is none.
    int firstStored() const;
    // The last stored slot up to frameCount, 0 when there is none.
    int lastStored() const { return static_cast<int>(stored_.size()); }

    // Reads slot n's frame file into picture and returns true; a slot without one leaves
    // picture as it is and returns false (the caller shows what it showed before). Errors of
    // the frame store pass through. Safe to call from several threads at once.
    bool Read(int n, Picture& picture) const;

private:
    WorkingFiles files_;
    int frameCount_;
    std::vector<bool> stored_; // index n - 1, up to the last stored slot
    int storedCount_ = 0;
};
