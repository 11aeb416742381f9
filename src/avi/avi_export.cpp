#include "avi/avi_export.h"

#include "avi/avi_writer.h"
#include "core/deckrec_error.h"
#include "core/frame_store.h"

#include <filesystem>
#include <utility>

namespace fs = std::filesystem;

namespace {

// The output is written here first and moved to the chosen name when it is complete; the
// writer's temporary video file lies beside it.
const char* const kIntermediateName = "tempdeckrec.avi";

// Moves the finished video to the chosen name. A rename replaces an existing file in one
// step; across file systems the copy is completed beside the target before it replaces it.
void PlaceVideo(const std::string& from, const std::string& to)
{
    std::error_code error;
    fs::rename(from, to, error);
    if (!error)
        return;
    const std::string part = to + ".part";
    fs::copy_file(from, part, fs::copy_options::overwrite_existing, error);
    if (!error)
        fs::rename(part, to, error);
    if (error) {
        std::error_code ignored;
        fs::remove(part, ignored);
        throw DeckrecError("Could not write " + to + ": " + error.message());
    }
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

void PrepareVideoExport(TAviWriter_2& writer, const WorkingFiles& files)
{
    files.EnsureWorkingDirectory();
    const std::string intermediate = files.WorkingDirectory() + kIntermediateName;
    std::error_code ignored;
    fs::remove(intermediate, ignored);
    writer.filename = intermediate;
    writer.TempFileName = files.WorkingDirectory() + "~AWTemp" + kIntermediateName;
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

    writer.OpenVideo();
    AppendFrameSlots(writer, files, frameCount, [&progress](int k) {
        Report(progress, k);
        Idle(progress);
        Idle(progress);
    });
    Idle(progress);
    Idle(progress);
    writer.EndFrames();
    Idle(progress);
    Idle(progress);
    // The compression fills the part of the bar above the frame count.
    writer.OnSaveProgress = [&progress, frameCount](int percent) {
        Report(progress, frameCount + percent * (frameCount / 2) / 100);
        Idle(progress);
    };
    struct ProgressReset {
        TAviWriter_2& writer;
        ~ProgressReset() { writer.OnSaveProgress = nullptr; }
    } reset{writer};
    writer.CloseVideo();
    PlaceVideo(writer.filename, options.target);
    std::error_code ignored;
    fs::remove(writer.filename, ignored);
    Report(progress, ExportProgressMaximum(frameCount));
}
