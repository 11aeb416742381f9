// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/convert_command.h"
#include "platform/speech/narration_voices.h"
#include "record/deck_narration.h"

#include "cli/cli_application.h"
#include "cli/display_lock.h"
#include "cli/deck_path.h"
#include "cli/kept_recording_journal.h"
#include "platform/interruption.h"
#include "cli/output_plan.h"
#include "cli/record_deck.h"
#include "cli/recording_manifest.h"
#include "cli/run_outputs.h"
#include "cli/scoped_folder.h"
#include "cli/show_window.h"
#include "cli/show_environment.h"
#include "cli/terminal.h"
#include "core/deckrec_error.h"
#include "core/presentation_page.h"
#include "cli/program_data_folder.h"
#include "core/working_files.h"
#include "show/presentation_converter.h"
#include "platform/fonts/font_resolver.h"
#include "platform/remote_content.h"
#include "show/show_cache.h"
#include "platform/ffmpeg/ffmpeg_encoder_facility.h"
#include "platform/pulse/pulse_sound_input.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>

namespace fs = std::filesystem;

namespace {

// The folder --keep-recording names, made when new; throws DeckrecError unless new or empty.
std::string KeptRecordingFolder(const std::string& folder)
{
    std::error_code ec;
    if (fs::exists(folder, ec)) {
        if (!fs::is_directory(folder, ec))
            throw DeckrecError("cannot keep the recording in " + folder + ": it is not a folder");
        if (!fs::is_empty(folder, ec))
            throw DeckrecError("cannot keep the recording in " + folder + ": the folder is not empty");
    } else if (!fs::create_directories(folder, ec) || ec) {
        throw DeckrecError("cannot keep the recording in " + folder + ": " + ec.message());
    }
    return fs::absolute(folder, ec).lexically_normal().string() + "/";
}

// How far the show got, from the viewer's caption "4,Results": "slide 4 (Results)".
std::string ShowPosition(const std::string& caption)
{
    const size_t comma = caption.find(',');
    const std::string number = caption.substr(0, comma);
    if (comma == std::string::npos || number.empty() ||
        number.find_first_not_of("0123456789") != std::string::npos)
        return caption.empty() ? "an unknown slide" : "\"" + caption + "\"";
    const std::string title = caption.substr(comma + 1);
    return "slide " + number + (title.empty() ? "" : " (" + title + ")");
}

// A show still running at the slot limit: the outputs hold its beginning only, which must not
// pass for a finished conversion.
void ReportSlotLimit(const DeckRecording& recording, const CommandLine& command, Terminal& terminal)
{
    terminal.Error("the show was cut off: the recording reached its limit of " + std::to_string(recording.frameCount) +
                   " slots (" + DurationText(SlotsDurationMs(recording.frameCount, recording.framePeriodMs)) +
                   ") at " + ShowPosition(recording.lastCaption) + ", before the show ended; " +
                   (command.maxMinutes > 0 ? "a larger --max-minutes" : "--max-minutes N") + " records for longer");
}

// Ctrl+C, SIGTERM or SIGHUP during the session: a kept recording is written down as far as
// it got, and export can still write it.
void ReportInterruption(const CommandLine& command, const std::string& recordingFolder, Terminal& terminal)
{
    std::error_code ec;
    if (command.keepRecording.empty() || !fs::exists(recordingFolder + "recording.json", ec)) {
        terminal.Error("interrupted; nothing was written");
        return;
    }
    terminal.Error("interrupted; no output was written, the recording so far is kept in " + command.keepRecording +
                   " (deckrec export " + command.keepRecording + " -o FILE writes it)");
}

// What the recording knows of the deck, for the kept recording and for the outputs.
void KeepDeckText(RecordingManifest& manifest, const DeckRecording& recording)
{
    manifest.slides = recording.slides;
    manifest.notes = recording.text.notes;
    manifest.notesRead = recording.notesRead;
    if (recording.narration) {
        manifest.narrated = true;
        manifest.narratedChapters = recording.narration->chapters;
        manifest.narratedCaptions = recording.narration->captions;
    }
}

void AddDeckText(RecordingToExport& toExport, const DeckRecording& recording)
{
    toExport.framePeriodMs = recording.framePeriodMs;
    toExport.slides = recording.slides;
    toExport.notes = recording.text.notes;
    toExport.notesRead = recording.notesRead;
    if (recording.narration) {
        toExport.narrated = true;
        toExport.narratedChapters = recording.narration->chapters;
        toExport.narratedCaptions = recording.narration->captions;
    }
}

// --narrate and --narration: the plan and sound track, made once the deck's notes are read. The
// narration sets every slide's time: the deck's own timings would move slides on under it.
Narrator DeckNarrator(CommandLine& command, const WorkingFiles& files, std::unique_ptr<NarrationVoices>& voices,
                      Terminal& terminal)
{
    if (!Narrates(command))
        return {};
    command.deckTimings = false;
    NarrationSettings settings;
    settings.narrate = command.narrate;
    settings.voice = command.voice;
    settings.ttsCommand = command.ttsCommand;
    settings.takesFolder = command.narrationFolder;
    settings.gapMs = std::llround(command.narrationGapSeconds * 1000);
    settings.latencyMs = command.latencyMs;
    settings.slotLimit = SlotLimitOf(command);
    settings.framePeriodMs = FramePeriodOfRate(command.framesPerSecond);
    settings.longerLimitHint = command.maxMinutes > 0 ? "a larger --max-minutes" : "--max-minutes N";
    NarrationReports reports;
    reports.warning = [&terminal](const std::string& text) { terminal.Error("warning: " + text); };
    reports.status = [&terminal](const std::string& text) { terminal.Status(text); };
    NarrationReaders readers;
    if (settings.narrate) {
        voices = std::make_unique<NarrationVoices>(settings.voice, settings.ttsCommand, reports.warning);
        readers = [&voices](const std::string& language, bool main) { return voices->For(language, main); };
    }
    return [settings, files, readers, reports](const std::string& flatDeck, const DeckText& text) {
        return NarrateDeck(settings, flatDeck, text, files, readers, reports);
    };
}

int Convert(const CommandLine& command, char* programPath, Terminal& terminal)
{
    const std::string deck = ReadableDeck(command.input, "cannot convert " + command.input);
    FfmpegEncoderFacility encoders;
    const std::vector<PlannedOutput> plan = PlanOutputs(command, encoders);

    ScopedWorkingFolder scratch("convert");
    const std::string recordingFolder =
        command.keepRecording.empty() ? scratch.path() + "recording/" : KeptRecordingFolder(command.keepRecording);
    const WorkingFiles files(ProgramDataFolder(), recordingFolder);
    files.EnsureWorkingDirectory();

    ShowEnvironment environment(command, scratch.path(), programPath, terminal);
    if (!environment.ready())
        return kExitInterrupted;

    std::unique_ptr<PulseSoundInput> soundInput;
    if (command.audio)
        soundInput = std::make_unique<PulseSoundInput>();
    AllowRemoteContent(command.allowRemoteContent);
    // The pictures the deck links on the network are named once LibreOffice has read the deck,
    // before its show is recorded: the recording's own conversion waits for this one's show in
    // the shared cache, so that the deck is converted once.
    PresentationConverter linkCheck(ShowCache::DefaultFolder(), ShowCache::DefaultLimitBytes(), FontResolver::Shared());
    linkCheck.CheckRemoteContent(QString::fromStdString(deck), [&terminal](const QString& warning) {
        if (!warning.isEmpty())
            terminal.Error("warning: " + warning.toStdString() +
                           "; --allow-remote-content fetches what the deck links");
    });
    CommandLine recorded = command;
    std::unique_ptr<NarrationVoices> voices;
    const Narrator narrator = DeckNarrator(recorded, files, voices, terminal);
    DeckRecording recording;
    try {
        recording = RecordDeck(recorded, DeckOpenableByName(deck, scratch.path()), files, soundInput.get(), terminal,
                               narrator);
    } catch (const InterruptedError&) {
        ReportInterruption(command, recordingFolder, terminal);
        return kExitInterrupted;
    }
    // The page that showed the deck is no part of the recording.
    std::error_code ec;
    fs::remove(GeneratedPagePath(files), ec);
    if (!command.keepRecording.empty()) {
        RecordingManifest manifest;
        manifest.frameCount = recording.frameCount;
        const ZoomSize size = RecordingSize(files, recording.frameCount);
        manifest.width = size.width;
        manifest.height = size.height;
        manifest.deck = deck;
        manifest.audio = recording.withSound;
        manifest.framePeriodMs = recording.framePeriodMs;
        manifest.performance = recording.performance;
        manifest.performedLive = PerformsLive(command);
        manifest.rendering = RenderingOf(command);
        KeepDeckText(manifest, recording);
        WriteRecordingManifest(recordingFolder, manifest);
    }
    RecordingToExport toExport{files, recording.frameCount, recording.withSound};
    AddDeckText(toExport, recording);
    const ExitStatus status = WriteOutputs(plan, command, toExport, encoders, terminal);
    if (recording.reachedSlotLimit && status != kExitInterrupted) {
        ReportSlotLimit(recording, command, terminal);
        return kExitFailure;
    }
    return environment.app().failed() && status == kExitSuccess ? kExitFailure : status;
}

} // namespace

int RunConvert(const CommandLine& command, char* programPath)
{
    return RunReportingErrors(command, [&](Terminal& terminal) { return Convert(command, programPath, terminal); });
}
