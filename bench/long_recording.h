// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A long recording as the recorder leaves it in a working directory, for export benchmarks:
// text slides that change every slotsPerSlide slots and a pointer that moves on every
// pointerEvery-th slot between changes. Only slots whose picture changed get a frame file
// (as the recorder stores them); the others repeat the slot before.

#include "core/picture.h"
#include "core/working_files.h"

#include <string>

struct LongRecordingShape {
    int width = 560;
    int height = 420;
    int slots = 9999; // FrameCount of the session
    int slotsPerSlide = 20;
    int pointerEvery = 3;
};

// The picture of slot k (0-based) of a recording of this shape.
Picture LongRecordingSlot(const LongRecordingShape& shape, int k);

// True when slot k's picture differs from slot k - 1's, so the recorder stored it.
bool LongRecordingStores(const LongRecordingShape& shape, int k);

// A program folder of its own (under parent, default the system's temporary folder) holding
// the frames of a recording of this shape; removed with the object.
class LongRecording {
public:
    explicit LongRecording(const LongRecordingShape& shape = {}, const std::string& parent = "");
    ~LongRecording();
    LongRecording(const LongRecording&) = delete;
    LongRecording& operator=(const LongRecording&) = delete;

    WorkingFiles files() const { return WorkingFiles::InProgramFolder(folder_); }
    const std::string& folder() const { return folder_; }
    int frameCount() const { return shape_.slots; }
    int storedFrames() const { return stored_; }
    const LongRecordingShape& shape() const { return shape_; }

private:
    LongRecordingShape shape_;
    std::string folder_;
    int stored_ = 0;
};
