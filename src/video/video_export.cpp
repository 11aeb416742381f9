// SPDX-License-Identifier: GPL-3.0-or-later
#include "video/video_export.h"

#include "video/avi_export.h"
#include "video/avi_writer.h"
#include "video/container_export.h"

#include <optional>

void SetListingDefaults(TAviWriter_2& writer)
{
    writer.Width = 102;
    writer.Height = 76;
    writer.FrameTime = 1000;
    writer.FramePeriodMs = 0;
    writer.SetPixelFormat(TPixelFormat::pf24bit);
}

void ExportVideoFile(EncoderFacility& facility, const WorkingFiles& files, int frameCount,
                     const VideoFileOptions& options, const Progress& progress, TAviWriter_2* aviWriter)
{
    if (options.format != VideoFormat::Avi) {
        ExportContainerVideo(facility, files, frameCount, options, progress);
        return;
    }
    std::optional<TAviWriter_2> ownWriter;
    if (!aviWriter) {
        aviWriter = &ownWriter.emplace(facility);
        SetListingDefaults(*aviWriter);
    }
    TAviWriter_2& writer = *aviWriter;
    writer.SetPixelFormat(options.pixelFormat);
    // Chosen at the writer's present size, as the encoder lists offer them.
    writer.SelectCompressor(options.encoderCode);
    writer.SetQuality(options.quality);
    PrepareVideoExport(writer, files, options.target);
    ExportVideo(writer, files, frameCount, options, progress);
}
