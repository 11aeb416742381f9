// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The video export into MP4, WebM or Matroska: each frame slot is compressed as it is read
// and goes straight into the container with the sound, in one pass. The chosen file is
// replaced only by a complete video.

#include "core/progress.h"
#include "core/working_files.h"
#include "video/video_file_options.h"

class EncoderFacility;

// Writes frame slots 1..frameCount at options.framePeriodMs each, a missing slot repeating
// the picture before it, through the chosen encoder into options.format, with the sound cut
// to the pictures' length. An encoder the format cannot hold, a colour depth the format does
// not take, or a target that is one of the working files is refused with a DeckrecError
// before any work. Progress runs 0..ExportProgressMaximum(frameCount). Errors (and a cancel,
// ExportCancelled) pass through as exceptions; the target is then untouched and no partial
// file is left.
void ExportContainerVideo(EncoderFacility& facility, const WorkingFiles& files, int frameCount,
                          const VideoFileOptions& options, const Progress& progress);
