#include "cli/export_command.h"

#include "cli/output_plan.h"
#include "cli/recording_manifest.h"
#include "cli/run_outputs.h"
#include "cli/scoped_folder.h"
#include "cli/terminal.h"
#include "core/deckrec_error.h"
#include "core/frame_store.h"
#include "core/slot_reader.h"
#include "cli/program_data_folder.h"
#include "core/working_files.h"
#include "platform/ffmpeg/ffmpeg_encoder_facility.h"

#include <QCoreApplication>
#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

// The recording's files, linked into the export's own working folder: the exporters keep their
// intermediate files in the working folder, and the kept recording must stay as it is. The
// folder is listed once: a test per slot costs minutes on a long recording.
void LinkRecording(const WorkingFiles& kept, const WorkingFiles& work, const SlotReader& stored, bool withSound)
{
    std::error_code ec;
    for (int n = stored.firstStored(); n >= 1 && n <= stored.frameCount(); ++n)
        if (stored.Stored(n))
            fs::create_symlink(kept.FrameFilePath(n), work.FrameFilePath(n));
    if (withSound && fs::exists(kept.SoundFilePath(), ec))
        fs::create_symlink(kept.SoundFilePath(), work.SoundFilePath());
}

// A recording whose session never ended (the run was killed, hung up on, or stopped by a full
// disk) is written up to its last slot: the count written down, or the last frame file when
// the frames went on after it (the count is brought up to date once a second).
// Said on stderr, also with --quiet: the outputs end where the show was cut off.
int InterruptedRecordingLength(const std::string& folder, const WorkingFiles& kept, const RecordingManifest& manifest,
                               Terminal& terminal)
{
    const int most = static_cast<int>(MostSlotsARecordingCanHold(manifest.framePeriodMs));
    const int frameCount = std::max(manifest.frameCount, SlotReader(kept, most).lastStored());
    terminal.Error("the recording in " + folder + " was interrupted at slot " + std::to_string(frameCount) + " (" +
                   DurationText(SlotsDurationMs(frameCount, manifest.framePeriodMs)) +
                   "); writing the slots recorded until then");
    return frameCount;
}

int Export(const CommandLine& command, char* programPath, Terminal& terminal)
{
    std::error_code ec;
    if (!fs::is_directory(command.input, ec))
        throw DeckrecError("cannot export " + command.input + ": no such folder");
    RecordingManifest manifest = ReadRecordingManifest(command.input);
    const WorkingFiles kept(ProgramDataFolder(), fs::absolute(command.input, ec).lexically_normal().string());
    if (!manifest.ended)
        manifest.frameCount = InterruptedRecordingLength(command.input, kept, manifest, terminal);
    const SlotReader stored(kept, manifest.frameCount);
    if (stored.storedCount() == 0)
        throw DeckrecError("cannot export " + command.input + ": it holds no frame files (temp1.bmp ... temp" +
                           std::to_string(manifest.frameCount) + ".bmp)");

    int argc = 1;
    char* argv[] = {programPath, nullptr};
    QCoreApplication app(argc, argv);
    FfmpegEncoderFacility encoders;
    const std::vector<PlannedOutput> plan = PlanOutputs(command, encoders);

    ScopedWorkingFolder scratch("export");
    const WorkingFiles files(ProgramDataFolder(), scratch.path());
    const bool withSound = manifest.audio && fs::exists(kept.SoundFilePath(), ec);
    LinkRecording(kept, files, stored, withSound);
    const RecordingToExport recording{files, manifest.frameCount, withSound, manifest.framePeriodMs};
    return WriteOutputs(plan, command, recording, encoders, terminal);
}

} // namespace

int RunExport(const CommandLine& command, char* programPath)
{
    return RunReportingErrors(command, [&](Terminal& terminal) { return Export(command, programPath, terminal); });
}
