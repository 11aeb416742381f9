#pragma once
// The video export into MP4, WebM or Matroska: each frame slot is compressed as it is read
// and goes straight into the container with the sound, in one pass. The chosen file is
// replaced only by a complete video.

#include "video/avi_export.h"
#include "video/container_format.h"
#include "core/picture.h"

#include <string>

class EncoderFacility;

struct ContainerExportOptions {
    VideoFormat format = VideoFormat::Mp4;
    std::string encoderCode; // the catalogue code, e.g. "H264"
    int quality = 5000;      // 0..10000
    TPixelFormat pixelFormat = TPixelFormat::pf24bit;
    VideoExportOptions video; // size, sound and target as for AVI
};

// The sound encoder a format's players expect for a WAV of the given libavcodec codec name:
// "aac" for MP4, "libopus" for WebM; for Matroska empty (the WAV's packets copied) when it
// holds the WAV's codec, else "pcm_s16le".
std::string SoundEncoderFor(VideoFormat format, const std::string& wavCodecName);

// Writes frame slots 1..frameCount at 150 ms each, a missing slot repeating the picture
// before it, through the chosen encoder into options.format, with the sound cut to the
// pictures' length. An encoder the format cannot hold, a colour depth the format does not
// take, or a target that is one of the working files is refused with a DeckrecError before
// any work. Progress runs 0..ExportProgressMaximum(frameCount). Errors pass through as
// exceptions; the target is then untouched and no partial file is left.
void ExportContainerVideo(EncoderFacility& facility, const WorkingFiles& files, int frameCount,
                          const ContainerExportOptions& options, const ExportProgress& progress);
