// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How far a video export is, on a bar of 0..ExportProgressMaximum(frameCount) that moves
// evenly with the frame slots, and its cancel.

#include "core/progress.h"

// The export was stopped through Progress::cancelled: the target keeps what it held and no
// part of the new video stays on disk.
class ExportCancelled : public OperationCancelled {
public:
    ExportCancelled() : OperationCancelled("The export was cancelled.") {}
};

// Throws ExportCancelled when progress says the export was cancelled.
void StopWhenCancelled(const Progress& progress);

int ExportProgressMaximum(int frameCount);

// Reports value of ExportProgressMaximum(frameCount).
void ReportExport(const Progress& progress, int value, int frameCount);
