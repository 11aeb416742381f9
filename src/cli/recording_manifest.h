// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// recording.json beside a kept recording: what an export needs to know of it besides the frame
// files and the sound.

#include "core/frame_period.h"
#include "core/performance_log.h"
#include "core/slide_timeline.h"
#include "record/recorder_host.h"

#include <string>
#include <vector>

struct RecordingManifest {
    int frameCount = 0;
    double framePeriodMs = kDefaultFramePeriodMs;
    int width = 0;  // of the stored frames
    int height = 0;
    std::string deck;
    bool audio = false;
    // False while the session records (and for good when the run was killed or interrupted):
    // frameCount is then the last slot written down, and frame files may go further.
    bool ended = true;
    // "slides": where each slide came on screen; "notes": each slide's speaker notes (slide n's
    // at [n - 1]), when they could be read ("notesRead").
    std::vector<SlideMark> slides;
    std::vector<std::string> notes;
    bool notesRead = false;
    // "narration": a narrated recording's own chapters and captions (from where each slide's
    // narration starts, a sentence at a time as it is said), so that an export writes the same.
    bool narrated = false;
    std::vector<TimedText> narratedChapters;
    std::vector<TimedText> narratedCaptions;
    // "frames": the slots whose frame files the folder held when recording.json was written
    // (read back only; written from the folder itself), so that a frame file that goes missing
    // later is noticed; empty for a recording kept before they were listed.
    std::vector<int> frames;
    // "performance": what a recording with sound did live (its slide actions, pointer and end, in
    // ms from the start of the sound), the script its pictures are rendered from: written for
    // every live performance (performedLive), also one killed before its first action. Read
    // back made fit to render against the folder's sound (TidyPerformanceLog), each change
    // noted in performanceWarnings; a performance that cannot be read (an unknown action or
    // shape, a time that is no number) leaves why in performanceDamage rather than refusing the
    // manifest: a recording whose frames are all there needs no performance.
    PerformanceLog performance;
    bool performedLive = false;
    std::vector<std::string> performanceWarnings;
    std::string performanceDamage;
    // "rendering": what drawing the performance's pictures again takes besides the frame
    // period, as the run had it.
    struct Rendering {
        CaptureSize capture;
        bool cursor = false;
        bool deckTimings = true;
        bool remoteContent = false;
    } rendering;
};

// Writes folder/recording.json, with the frame files folder holds up to its frameCount.
// Throws DeckrecError when it cannot.
void WriteRecordingManifest(const std::string& folder, const RecordingManifest& manifest);
// Reads folder/recording.json. Throws DeckrecError naming what is wrong: no such file, not
// JSON, no "FrameCount", or a FrameCount (or framePeriodMs) out of range: more slots than a
// recording can hold at its frame period. The performance is checked against the sound the
// folder holds (its length as far as it can be read).
RecordingManifest ReadRecordingManifest(const std::string& folder);
