// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// recording.json of a --keep-recording folder while the session runs: written when it starts
// and kept current ("ended": false), so that a run that is killed, hung up on or stopped by a
// full disk leaves frames that export can still write. The run writes the final manifest
// ("ended": true) itself once the session is over.

#include "cli/recording_manifest.h"
#include "core/unfinished_session.h"
#include "core/working_files.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

struct CommandLine;
class CliRecorderHost;

class KeptRecordingJournal {
public:
    // start: the manifest as far as it is known before the first slot.
    KeptRecordingJournal(RecordingManifest start, WorkingFiles files);
    // Writes down the last slot started, when newer than the one written: a run that ends by
    // an error or a signal leaves its exact count.
    ~KeptRecordingJournal();
    KeptRecordingJournal(const KeptRecordingJournal&) = delete;
    KeptRecordingJournal& operator=(const KeptRecordingJournal&) = delete;

    // Slot frameCount begins: written at the first slot, then at most once a second. A write
    // that fails is passed over (the next one tries again; the frame store reports a full disk
    // itself), so that the recording goes on.
    void SlotStarted(int frameCount);
    // Where the slide timeline comes from (the session's, as it grows; asked only while slots
    // start), and the deck's notes
    // when they were read before the session: kept with every write, so that a killed run
    // still exports its chapters and captions.
    void FollowSlides(std::function<std::vector<SlideMark>()> slides) { slides_ = std::move(slides); }
    void KeepNotes(const std::vector<std::string>& notes);
    // The performance played live so far: written at once, so that a run killed while the
    // show plays keeps every action up to then (a failed write is passed over, as above).
    void KeepPerformance(const PerformanceLog& log);

private:
    void Write();

    RecordingManifest manifest_;
    WorkingFiles files_;
    std::function<std::vector<SlideMark>()> slides_;
    OncePerInterval due_;
    int written_ = 0;
};

// What a kept recording notes of the run for drawing its performance again.
RecordingManifest::Rendering RenderingOf(const CommandLine& command);

// The journal of a run that keeps its recording, fed by host; none without --keep-recording.
// It must be destroyed before the host.
std::unique_ptr<KeptRecordingJournal> JournalKeptRecording(const CommandLine& command, const std::string& deck,
                                                           const WorkingFiles& files, CliRecorderHost& host);
