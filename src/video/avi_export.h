// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The AVI export through the writer: the frame loop that feeds it one picture per frame slot,
// and the whole export from the working files to the chosen file.

#include "core/progress.h"
#include "core/working_files.h"
#include "video/video_file_options.h"

#include <functional>
#include <string>

class TAviWriter_2;

// Appends slots 1..frameCount to an opened writer: each slot's frame file, or for a slot the
// recorder did not store, the picture of the slot before it (a newly created, empty picture
// before the first stored one). beforeSlot(k) runs before slot k + 1 is read.
void AppendFrameSlots(TAviWriter_2& writer, const WorkingFiles& files, int frameCount, const std::function<void(int k)>& beforeSlot);

// Points the writer's output file and its temporary video file into the working directory
// (creating it) and removes an output an earlier export left there. A target that is one of
// the working files is refused (CheckVideoTarget) before anything is deleted.
void PrepareVideoExport(TAviWriter_2& writer, const WorkingFiles& files, const std::string& target);

// Writes frame slots 1..frameCount of files through the writer's chosen encoder, colour depth
// and quality, at options.size with options.framePeriodMs per slot, adds options.soundFile
// and moves the result to options.target. One pass: each slot is compressed as it is read,
// and the only file that grows is the video itself. Call PrepareVideoExport first. An encoder
// that cannot take frames of that size fails before the first frame. Progress runs
// 0..ExportProgressMaximum(frameCount); idle() runs between steps. Errors (and a cancel,
// ExportCancelled) pass through as exceptions; the target is then untouched and nothing of
// the video stays in the working directory.
void ExportVideo(TAviWriter_2& writer, const WorkingFiles& files, int frameCount, const VideoFileOptions& options,
                 const Progress& progress);
