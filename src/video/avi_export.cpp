// SPDX-License-Identifier: GPL-3.0-or-later
#include "video/avi_export.h"

#include "video/avi_writer.h"
#include "video/export_progress.h"
#include "video/export_target.h"
#include "core/deckrec_error.h"
#include "core/file_replacement.h"
#include "core/slot_reader.h"
#include "platform/ffmpeg/wav_audio_source.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {

// Moves the finished video to the chosen name. A rename replaces an existing file in one
// step; across file systems the copy is completed under a new name of its own beside the
// target (never a user's file of any name) before it replaces the target.
void PlaceVideo(const std::string& from, const std::string& to)
{
    std::error_code error;
    fs::rename(from, to, error);
    if (!error)
        return;
    PendingReplacement part(to);
    fs::copy_file(from, part.path(), fs::copy_options::overwrite_existing, error);
    if (error)
        throw DeckrecError("Could not write " + to + ": " + error.message());
    part.Commit();
}

// The bar's value after k of frameCount slots.
int SlotsDone(int k, int frameCount)
{
    return static_cast<int>(int64_t{k} * ExportProgressMaximum(frameCount) / frameCount);
}

} // namespace

void AppendFrameSlots(TAviWriter_2& writer, const WorkingFiles& files, int frameCount, const std::function<void(int k)>& beforeSlot)
{
    // Only stored slots are read; a still slide costs one file and one read.
    const SlotReader slots(files, frameCount);
    Picture picture;
    for (int k = 0; k < frameCount; ++k) {
        if (beforeSlot)
            beforeSlot(k);
        slots.Read(k + 1, picture);
        writer.AppendFrame(picture);
    }
}

void PrepareVideoExport(TAviWriter_2& writer, const WorkingFiles& files, const std::string& target)
{
    // Checked before anything is deleted.
    CheckVideoTarget(files, target);
    files.EnsureWorkingDirectory();
    const std::string intermediate = IntermediateVideoPath(files);
    std::error_code ignored;
    fs::remove(intermediate, ignored);
    writer.filename = intermediate;
    writer.TempFileName = TemporaryVideoPath(files);
}

void ExportVideo(TAviWriter_2& writer, const WorkingFiles& files, int frameCount, const VideoFileOptions& options,
                 const Progress& progress)
{
    writer.Width = options.size.width;
    writer.Height = options.size.height;
    writer.FrameTime = static_cast<int>(std::lround(options.framePeriodMs));
    writer.FramePeriodMs = options.framePeriodMs;
    writer.SetWavFileName(options.soundFile);
    // The encoder list was made at another size and frame time; an encoder that cannot take
    // these frames would fail only in the closing save, after the whole frame loop.
    writer.CheckCompressorFits();
    // Likewise a sound file that cannot be read: its error, before the frames rather than after.
    if (!options.soundFile.empty())
        WavAudioSource readable(options.soundFile);

    // The video leaves the working directory on every path: moved to the target, or removed
    // (with the part written so far) when the export fails or is cancelled.
    struct IntermediateRemoval {
        TAviWriter_2& writer;
        ~IntermediateRemoval()
        {
            writer.AbandonVideo();
            std::error_code ignored;
            fs::remove(writer.filename, ignored);
        }
    } removal{writer};

    const int slots = frameCount > 0 ? frameCount : 1;
    writer.OpenVideo();
    AppendFrameSlots(writer, files, frameCount, [&progress, slots, frameCount](int k) {
        StopWhenCancelled(progress);
        ReportExport(progress, SlotsDone(k, slots), frameCount);
        progress.Idle();
        progress.Idle();
    });
    progress.Idle();
    progress.Idle();
    StopWhenCancelled(progress);
    writer.EndFrames();
    progress.Idle();
    progress.Idle();
    // The closing save only adds the rest of the sound and the index.
    writer.OnSaveProgress = [&progress, slots, frameCount](int percent) {
        ReportExport(progress, SlotsDone(slots, slots) * percent / 100, frameCount);
        progress.Idle();
    };
    struct ProgressReset {
        TAviWriter_2& writer;
        ~ProgressReset() { writer.OnSaveProgress = nullptr; }
    } reset{writer};
    writer.CloseVideo();
    PlaceVideo(writer.filename, options.target);
    ReportExport(progress, ExportProgressMaximum(frameCount), frameCount);
}
