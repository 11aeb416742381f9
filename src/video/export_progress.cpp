// SPDX-License-Identifier: GPL-3.0-or-later
#include "video/export_progress.h"

void StopWhenCancelled(const Progress& progress)
{
    if (progress.Cancelled())
        throw ExportCancelled();
}

int ExportProgressMaximum(int frameCount)
{
    return frameCount + frameCount / 2;
}

void ReportExport(const Progress& progress, int value, int frameCount)
{
    progress.Report(value, ExportProgressMaximum(frameCount));
}
