// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/kept_recording_journal.h"

#include "cli/cli_recorder_host.h"
#include "cli/command_line.h"
#include "core/zoom_sizes.h"

#include <exception>

KeptRecordingJournal::KeptRecordingJournal(RecordingManifest start, WorkingFiles files)
    : manifest_(std::move(start))
    , files_(std::move(files))
{
    manifest_.ended = false;
}

KeptRecordingJournal::~KeptRecordingJournal()
{
    if (manifest_.frameCount > written_)
        Write();
}

void KeptRecordingJournal::SlotStarted(int frameCount)
{
    manifest_.frameCount = frameCount;
    // Taken while the session runs: the journal outlives it.
    if (slides_)
        manifest_.slides = slides_();
    if (due_.Due())
        Write();
}

void KeptRecordingJournal::KeepNotes(const std::vector<std::string>& notes)
{
    manifest_.notes = notes;
    manifest_.notesRead = true;
}

void KeptRecordingJournal::KeepPerformance(const PerformanceLog& log)
{
    manifest_.performance = log;
    Write();
}

void KeptRecordingJournal::Write()
{
    try {
        // The size is known from the first stored frame on.
        if (manifest_.width == 0 && manifest_.frameCount > 1) {
            const ZoomSize size = RecordingSize(files_, manifest_.frameCount);
            manifest_.width = size.width;
            manifest_.height = size.height;
        }
        WriteRecordingManifest(files_.WorkingDirectory(), manifest_);
        written_ = manifest_.frameCount;
    } catch (const std::exception&) {
        // Passed over, see SlotStarted; a destructor must not throw either.
    }
}

RecordingManifest::Rendering RenderingOf(const CommandLine& command)
{
    return {command.capture, command.cursor, command.deckTimings, command.allowRemoteContent};
}

std::unique_ptr<KeptRecordingJournal> JournalKeptRecording(const CommandLine& command, const std::string& deck,
                                                           const WorkingFiles& files, CliRecorderHost& host)
{
    if (command.keepRecording.empty())
        return nullptr;
    RecordingManifest start;
    start.framePeriodMs = host.FramePeriodMs();
    start.deck = deck;
    start.audio = command.audio;
    start.performedLive = PerformsLive(command);
    start.rendering = RenderingOf(command);
    auto journal = std::make_unique<KeptRecordingJournal>(start, files);
    host.setSlotObserver([raw = journal.get()](int frameCount) { raw->SlotStarted(frameCount); });
    host.setPerformanceObserver([raw = journal.get()](const PerformanceLog& log) { raw->KeepPerformance(log); });
    return journal;
}
