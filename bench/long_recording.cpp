// SPDX-License-Identifier: GPL-3.0-or-later
#include "long_recording.h"

#include "bench_pictures.h"
#include "core/frame_store.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

// An arrow pointer, 12 x 19, black with a white edge, its tip at (x, y).
void DrawPointer(Picture& p, int x, int y)
{
    for (int row = 0; row < 19; ++row) {
        const int span = std::min(row, 12 - std::max(0, row - 12));
        for (int col = 0; col <= span; ++col) {
            const int px = x + col, py = y + row;
            if (px < 0 || py < 0 || px >= p.width() || py >= p.height())
                continue;
            const bool edge = col == 0 || col == span || row == 18;
            uint8_t* bgr = p.scanLine(py) + 3 * px;
            bgr[0] = bgr[1] = bgr[2] = edge ? 255 : 0;
        }
    }
}

} // namespace

Picture LongRecordingSlot(const LongRecordingShape& shape, int k)
{
    const int slide = k / shape.slotsPerSlide;
    const int step = (k % shape.slotsPerSlide) / shape.pointerEvery;
    Picture p = TextPagePicture(shape.width, shape.height, slide);
    // The pointer wanders along a diagonal across the slide, a new place on each step.
    const int x = shape.width / 5 + step * shape.width / 12 + (slide * 37) % (shape.width / 4);
    const int y = shape.height / 4 + step * shape.height / 16;
    DrawPointer(p, x % shape.width, y % shape.height);
    return p;
}

bool LongRecordingStores(const LongRecordingShape& shape, int k)
{
    const int inSlide = k % shape.slotsPerSlide;
    return inSlide == 0 || inSlide % shape.pointerEvery == 0;
}

LongRecording::LongRecording(const LongRecordingShape& shape, const std::string& parent) : shape_(shape)
{
    const fs::path base = parent.empty() ? fs::temp_directory_path() : fs::path(parent);
    folder_ = (base / ("deckrec-long-" + std::to_string(getpid()) + "-" + std::to_string(shape.width) + "x" +
                       std::to_string(shape.height)))
                  .string() +
              "/";
    fs::create_directories(folder_ + "temp");
    const WorkingFiles working = files();
    for (int k = 0; k < shape_.slots; ++k)
        if (LongRecordingStores(shape_, k)) {
            SaveFrame(working, LongRecordingSlot(shape_, k), k + 1);
            ++stored_;
        }
}

LongRecording::~LongRecording()
{
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
}
