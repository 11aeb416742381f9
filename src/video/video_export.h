// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one way into a video export, for the windows and the command line alike: the format
// chooses the writer (AVI through TAviWriter_2, the containers through their muxer), and the
// writer gets the options' encoder, colour depth, quality, size, sound and frame period.

#include "core/progress.h"
#include "core/working_files.h"
#include "video/export_progress.h"
#include "video/export_target.h"
#include "video/video_file_options.h"

#include <string>

class EncoderFacility;
class TAviWriter_2;

// Gives a writer the settings its encoder list is made with until an export sets the real
// ones: 102 x 76 pictures at 1000 ms per frame in 24 bits.
void SetListingDefaults(TAviWriter_2& writer);

// Writes frame slots 1..frameCount of files to options.target in options.format (see
// ExportVideo and ExportContainerVideo). An AVI goes through aviWriter when one is given (a
// window's writer, whose file names and sound stay set for it to show), else through a
// writer of the export's own. Progress runs 0..ExportProgressMaximum(frameCount); a cancel
// raises ExportCancelled. On any failure the target is untouched.
void ExportVideoFile(EncoderFacility& facility, const WorkingFiles& files, int frameCount,
                     const VideoFileOptions& options, const Progress& progress, TAviWriter_2* aviWriter = nullptr);
