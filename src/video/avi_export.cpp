#include "video/avi_export.h"

#include "video/avi_writer.h"
#include "video/wav_audio_source.h"
#include "core/deckrec_error.h"
#include "core/file_replacement.h"
#include "core/frame_store.h"

#include <filesystem>
#include <utility>

namespace fs = std::filesystem;

namespace {

// The output is written here first and moved to the chosen name when it is complete; the
// writer's temporary video file lies beside it.
const char* const kIntermediateName = "tempdeckrec.avi";

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

std::string IntermediatePath(const WorkingFiles& files)
{
    return files.WorkingDirectory() + kIntermediateName;
}

std::string TemporaryVideoPath(const WorkingFiles& files)
{
    return files.WorkingDirectory() + "~AWTemp" + kIntermediateName;
}

// The bar's value after k of frameCount slots.
int SlotsDone(int k, int frameCount)
{
    return static_cast<int>(int64_t{k} * ExportProgressMaximum(frameCount) / frameCount);
}

void Idle(const ExportProgress& progress)
{
    if (progress.idle)
        progress.idle();
}

void Report(const ExportProgress& progress, int value)
{
    if (progress.report)
        progress.report(value);
}

} // namespace

void StopWhenCancelled(const ExportProgress& progress)
{
    if (progress.cancelled && progress.cancelled())
        throw ExportCancelled();
}

void AppendFrameSlots(TAviWriter_2& writer, const WorkingFiles& files, int frameCount, const std::function<void(int k)>& beforeSlot)
{
    // Only stored slots are read; a still slide costs one file and one read.
    Picture previous;
    Picture current;
    for (int k = 0; k < frameCount; ++k) {
        if (beforeSlot)
            beforeSlot(k);
        if (FrameExists(files, k + 1)) {
            LoadFrame(files, k + 1, current);
            std::swap(previous, current);
        }
        writer.AppendFrame(previous);
    }
}

void PrepareVideoExport(TAviWriter_2& writer, const WorkingFiles& files, const std::string& target)
{
    // Checked before anything is deleted: the recording, or the export's own files, would
    // be lost with the user's choice.
    if (files.IsWorkingFile(target, {IntermediatePath(files), TemporaryVideoPath(files)}))
        throw DeckrecError("Cannot save to " + target +
                           ": Deckrec keeps the recording there. Choose another name or folder.");
    files.EnsureWorkingDirectory();
    const std::string intermediate = IntermediatePath(files);
    std::error_code ignored;
    fs::remove(intermediate, ignored);
    writer.filename = intermediate;
    writer.TempFileName = TemporaryVideoPath(files);
}

int ExportProgressMaximum(int frameCount)
{
    return frameCount + frameCount / 2;
}

void ExportVideo(TAviWriter_2& writer, const WorkingFiles& files, int frameCount, const VideoExportOptions& options,
                 const ExportProgress& progress)
{
    writer.Width = options.size.width;
    writer.Height = options.size.height;
    writer.FrameTime = 150;
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
    AppendFrameSlots(writer, files, frameCount, [&progress, slots](int k) {
        StopWhenCancelled(progress);
        Report(progress, SlotsDone(k, slots));
        Idle(progress);
        Idle(progress);
    });
    Idle(progress);
    Idle(progress);
    StopWhenCancelled(progress);
    writer.EndFrames();
    Idle(progress);
    Idle(progress);
    // The closing save only adds the rest of the sound and the index.
    writer.OnSaveProgress = [&progress, slots](int percent) {
        Report(progress, SlotsDone(slots, slots) * percent / 100);
        Idle(progress);
    };
    struct ProgressReset {
        TAviWriter_2& writer;
        ~ProgressReset() { writer.OnSaveProgress = nullptr; }
    } reset{writer};
    writer.CloseVideo();
    PlaceVideo(writer.filename, options.target);
    Report(progress, ExportProgressMaximum(frameCount));
}
