// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a video export is asked to write: the format and encoder, the pictures' size and
// colours, the sound, the file, and the recording's frame period.

#include "core/frame_period.h"
#include "core/picture.h"
#include "core/slide_timeline.h"
#include "core/zoom_sizes.h"
#include "platform/ffmpeg/container_format.h"

#include <string>
#include <vector>

struct VideoFileOptions {
    VideoFormat format = VideoFormat::Avi;
    // The catalogue code, e.g. "H264"; empty stores AVI frames uncompressed.
    std::string encoderCode;
    int quality = 5000; // 0..10000
    TPixelFormat pixelFormat = TPixelFormat::pf24bit;
    ZoomSize size{560, 420};
    std::string soundFile; // the recording's sound, or empty for a video without sound
    std::string target;    // the file the user chose; replaced only when the export succeeded
    double framePeriodMs = kDefaultFramePeriodMs; // the recording's time per frame slot
    // MP4, WebM and MKV only (AVI has no place for them): a chapter per entry, and a caption
    // track when captions is not empty.
    std::vector<TimedText> chapters;
    std::vector<TimedText> captions;
};
