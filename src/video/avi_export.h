#pragma once
// The video export without a window: the frame loop that feeds the writer one picture per
// frame slot, and the whole export from the working files to the chosen file. Any front end
// calls it; the windows only gather the options and show the progress.

#include "core/deckrec_error.h"
#include "core/working_files.h"
#include "core/zoom_sizes.h"

#include <functional>
#include <string>

class TAviWriter_2;

// Appends slots 1..frameCount to an opened writer: each slot's frame file, or for a slot the
// recorder did not store, the picture of the slot before it (a newly created, empty picture
// before the first stored one). beforeSlot(k) runs before slot k + 1 is read.
void AppendFrameSlots(TAviWriter_2& writer, const WorkingFiles& files, int frameCount, const std::function<void(int k)>& beforeSlot);

// Points the writer's output file and its temporary video file into the working directory
// (creating it) and removes an output an earlier export left there. A target that is one of
// the working files (a frame, the sound, those two files) is refused with a DeckrecError
// before anything is deleted.
void PrepareVideoExport(TAviWriter_2& writer, const WorkingFiles& files, const std::string& target);

struct VideoExportOptions {
    ZoomSize size{560, 420};
    std::string soundFile; // the recording's sound, or empty for a video without sound
    std::string target;    // the file the user chose; replaced only when the export succeeded
};

// Progress of an export on a bar of 0..ExportProgressMaximum(frameCount), moving evenly with
// the frame slots. idle() runs between steps, so a window can handle its messages there.
// cancelled() is asked before each frame slot and once more before the file is completed;
// true stops the export with ExportCancelled: the target keeps what it held and no part of
// the new video stays on disk.
struct ExportProgress {
    std::function<void(int value)> report;
    std::function<void()> idle;
    std::function<bool()> cancelled;
};

// The export was stopped by ExportProgress::cancelled.
class ExportCancelled : public DeckrecError {
public:
    ExportCancelled() : DeckrecError("The export was cancelled.") {}
};

// Throws ExportCancelled when progress says the export was cancelled.
void StopWhenCancelled(const ExportProgress& progress);
int ExportProgressMaximum(int frameCount);

// Writes frame slots 1..frameCount of files through the writer's chosen encoder, colour depth
// and quality, at options.size with 150 ms per slot, adds the sound and moves the result to
// options.target. One pass: each slot is compressed as it is read, and the only file that
// grows is the video itself. Call PrepareVideoExport first. An encoder that cannot take
// frames of that size fails before the first frame. Errors (and a cancel) pass through as
// exceptions; the target is then untouched and nothing of the video stays in the working
// directory.
void ExportVideo(TAviWriter_2& writer, const WorkingFiles& files, int frameCount, const VideoExportOptions& options,
                 const ExportProgress& progress);
