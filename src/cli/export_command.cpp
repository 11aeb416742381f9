// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/export_command.h"

#include "audio/wave_contents.h"
#include "cli/deck_path.h"
#include "cli/output_plan.h"
#include "cli/record_deck.h"
#include "cli/recording_manifest.h"
#include "cli/run_outputs.h"
#include "cli/scoped_folder.h"
#include "cli/show_environment.h"
#include "cli/terminal.h"
#include "core/deckrec_error.h"
#include "core/frame_store.h"
#include "core/presentation_page.h"
#include "core/slot_reader.h"
#include "cli/program_data_folder.h"
#include "core/working_files.h"
#include "platform/ffmpeg/ffmpeg_encoder_facility.h"
#include "platform/remote_content.h"

#include <QCoreApplication>
#include <algorithm>
#include <filesystem>
#include <optional>

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

// A frame file that recording.json lists and the folder no longer holds would silently show the
// slot before it (a black start, a slide change that never comes): an error, unless asked for.
void CheckFramesKept(const CommandLine& command, const RecordingManifest& manifest, const SlotReader& stored,
                     Terminal& terminal)
{
    std::vector<int> missing;
    for (const int n : manifest.frames)
        if (n <= stored.frameCount() && !stored.Stored(n))
            missing.push_back(n);
    if (missing.empty())
        return;
    const std::string what = "the frame file of slot " + std::to_string(missing.front()) + " (temp" +
                             std::to_string(missing.front()) + ".bmp)" +
                             (missing.size() > 1 ? " and of " + std::to_string(missing.size() - 1) + " more slots" : "") +
                             " is missing";
    if (!command.allowMissingFrames)
        throw DeckrecError("cannot export " + command.input + ": " + what +
                           " (--allow-missing-frames writes it, each missing slot repeating the one before)");
    terminal.Error("warning: " + command.input + ": " + what + "; each missing slot repeats the one before");
}

// The slide times and notes the recording kept, and its frame period.
void AddDeckText(RecordingToExport& recording, const RecordingManifest& manifest)
{
    recording.framePeriodMs = manifest.framePeriodMs;
    recording.slides = manifest.slides;
    recording.notes = manifest.notes;
    recording.notesRead = manifest.notesRead;
    recording.narrated = manifest.narrated;
    recording.narratedChapters = manifest.narratedChapters;
    recording.narratedCaptions = manifest.narratedCaptions;
}

// A live performance cut off by a kill, hang-up or full disk leaves its log and its sound and
// no frames (or the rendering's first few): its pictures are drawn from the log again.
bool RendersPerformance(const RecordingManifest& manifest)
{
    return !manifest.ended && manifest.performedLive;
}

// What a rendering of the performance takes from the run that played it: its capture size,
// frame period and show settings, and enough slots to reach the end of its sound.
CommandLine RenderingCommand(const CommandLine& command, const RecordingManifest& manifest)
{
    CommandLine render = command;
    render.capture = manifest.rendering.capture;
    render.cursor = manifest.rendering.cursor;
    render.deckTimings = manifest.rendering.deckTimings;
    render.allowRemoteContent = manifest.rendering.remoteContent;
    render.framesPerSecond = 1000.0 / manifest.framePeriodMs;
    // Drawn on the show's clock, silently: the sound was recorded live.
    render.audio = false;
    render.realtime = false;
    render.maxMinutes = static_cast<double>(manifest.performance.endMs) / 60000.0 + 1.0 / 60.0;
    return render;
}

// The performance's sound, its deck and what reading its log put right; throws DeckrecError
// when it cannot be rendered.
std::string CheckPerformance(const CommandLine& command, const RecordingManifest& manifest,
                             const std::optional<WaveContents>& sound, Terminal& terminal)
{
    const std::string& folder = command.input;
    if (!manifest.performanceDamage.empty())
        throw DeckrecError("cannot export " + folder + ": " + manifest.performanceDamage);
    if (!manifest.audio || !sound || sound->lengthMs() <= 0)
        throw DeckrecError("cannot export " + folder +
                           ": it was interrupted before any of its sound was kept, and holds no frame files");
    terminal.Error("the recording in " + folder + " was interrupted while its show played live, after " +
                   DurationText(sound->lengthMs()) + " of sound and " +
                   std::to_string(manifest.performance.actions.size()) +
                   " slide actions; drawing its pictures from the performance it logged");
    for (const std::string& warning : manifest.performanceWarnings)
        terminal.Error("warning: " + folder + ": " + warning);
    if (manifest.deck.empty())
        throw DeckrecError("cannot export " + folder + ": recording.json names no deck to draw its pictures from");
    return ReadableDeck(manifest.deck, "cannot export " + folder + " (its pictures are drawn from its deck again): " +
                                           manifest.deck);
}

int ExportPerformance(const CommandLine& command, char* programPath, const RecordingManifest& manifest,
                      const WorkingFiles& kept, Terminal& terminal)
{
    const std::optional<WaveContents> sound = ReadWaveContents(kept.SoundFilePath());
    const std::string deck = CheckPerformance(command, manifest, sound, terminal);
    FfmpegEncoderFacility encoders;
    const std::vector<PlannedOutput> plan = PlanOutputs(command, encoders);

    ScopedWorkingFolder scratch("export");
    const WorkingFiles files(ProgramDataFolder(), scratch.path() + "recording/");
    const CommandLine render = RenderingCommand(command, manifest);
    ShowEnvironment environment(render, scratch.path(), programPath, terminal);
    if (!environment.ready())
        return kExitInterrupted;
    AllowRemoteContent(render.allowRemoteContent);
    DeckRecording known;
    known.text.notes = manifest.notes;
    known.notesRead = manifest.notesRead;
    DeckRecording recording;
    try {
        recording = RenderPerformance(render, DeckOpenableByName(deck, scratch.path()), files, manifest.performance,
                                      known, terminal);
    } catch (const InterruptedError&) {
        terminal.Error("interrupted; nothing was written");
        return kExitInterrupted;
    }
    std::error_code ec;
    fs::remove(GeneratedPagePath(files), ec);
    // The kept sound stays as it is; the copy's header gives the length it holds.
    CopyWaveWithTrueSizes(kept.SoundFilePath(), files.SoundFilePath());
    RecordingToExport toExport{files, recording.frameCount, true};
    toExport.framePeriodMs = recording.framePeriodMs;
    toExport.slides = recording.slides;
    toExport.notes = recording.text.notes;
    toExport.notesRead = recording.notesRead;
    const ExitStatus status = WriteOutputs(plan, command, toExport, encoders, terminal);
    return environment.app().failed() && status == kExitSuccess ? kExitFailure : status;
}

int Export(const CommandLine& command, char* programPath, Terminal& terminal)
{
    std::error_code ec;
    if (!fs::is_directory(command.input, ec))
        throw DeckrecError("cannot export " + command.input + ": no such folder");
    RecordingManifest manifest = ReadRecordingManifest(command.input);
    const WorkingFiles kept(ProgramDataFolder(), fs::absolute(command.input, ec).lexically_normal().string());
    if (RendersPerformance(manifest))
        return ExportPerformance(command, programPath, manifest, kept, terminal);
    if (!manifest.ended)
        manifest.frameCount = InterruptedRecordingLength(command.input, kept, manifest, terminal);
    const SlotReader stored(kept, manifest.frameCount);
    CheckFramesKept(command, manifest, stored, terminal);
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
    RecordingToExport recording{files, manifest.frameCount, withSound};
    AddDeckText(recording, manifest);
    return WriteOutputs(plan, command, recording, encoders, terminal);
}

} // namespace

int RunExport(const CommandLine& command, char* programPath)
{
    return RunReportingErrors(command, [&](Terminal& terminal) { return Export(command, programPath, terminal); });
}
