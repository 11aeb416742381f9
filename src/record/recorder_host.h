// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the Recorder asks of the front end that started it: the session's settings, where the
// recording goes, the sound recording beside it, and the news that the session is over. The
// Main window is one host; the command line and tests are others.

#include "core/frame_period.h"
#include "core/performance_log.h"
#include "core/slide_timeline.h"
#include "core/working_files.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

// The size of the browser frame's recorded area, in screen pixels.
struct CaptureSize {
    int width = 595;
    int height = 466;
    bool operator==(const CaptureSize&) const = default;
};

// A session takes at most 9999 slots unless its host allows more.
constexpr int kDefaultSlotLimit = 10000;

class RecorderHost {
public:
    virtual ~RecorderHost() = default;

    // Read when a session is prepared (Record Now): the Recorder lays itself out around it.
    virtual CaptureSize RecordingCaptureSize() const { return {}; }

    // Read again at every pass of the capture loop, so a change takes effect at once.
    // Milliseconds between automatic actions.
    virtual int LatencyMs() const = 0;
    // Auto Record: the recorder performs the next action itself when the latency has passed.
    virtual bool AutoRecord() const = 0;
    // The pointer is drawn into the frames.
    virtual bool CursorOn() const = 0;
    // Read once, when the session starts.
    virtual bool AudioOn() const = 0;
    // Read when a session is prepared (Record Now): the show runs on the recorder's own clock,
    // each slot rendered at its exact moment as fast as the machine draws it, instead of on the
    // wall clock. With sound, or with the presenter's own clicks, the show is played live and
    // its pictures are rendered on that clock afterwards (PerformsLive).
    virtual bool ShowTime() const { return false; }
    // Read once, when the session starts: milliseconds from one slot to the next.
    virtual double FramePeriodMs() const { return kDefaultFramePeriodMs; }
    // Read once, when the session starts: the loop takes slots 1 .. SlotLimit() - 1.
    virtual int SlotLimit() const { return kDefaultSlotLimit; }

    // Where frames and sound are stored.
    virtual const WorkingFiles& Files() const = 0;
    // The number of the slot being recorded: after the session, the recording's FrameCount.
    virtual void SetFrameCount(int frameCount) = 0;

    // Read once, when the session is prepared: the deck's own slide timings are kept (a slide
    // the deck advances by itself moves on at its time); otherwise every step waits for the
    // latency.
    virtual bool DeckTimings() const { return true; }
    // A slide the deck advances by itself did not move on within several latencies of its
    // time, and the recorder clicked it on.
    virtual void ShowStalled(const ShownSlide& slide, int deckMs) { (void)slide, (void)deckMs; }
    // When the session ends, before SessionEnded: the slot at which each slide came on screen.
    virtual void SetSlides(const std::vector<SlideMark>& slides) { (void)slides; }

    // A live performance (RecordingSession::Perform) logged an action, or its end: the whole
    // log so far.
    virtual void PerformanceLogged(const PerformanceLog& log) { (void)log; }
    // During a live performance, asked at every slot: where the presenter's pointer stands over
    // the slide and its shape (the sample's ms is the session's to set); nothing when it is not
    // over the slide or no presenter points.
    virtual std::optional<PointerSample> PointerOverShow() { return std::nullopt; }

    // Asked at Start Record: a narrated recording plays nothing live. The host makes the
    // narration (the sound track into Files(), from the deck's takes and spoken notes) and
    // hands done the log to render on the show's clock; nothing when it could not be made (the
    // host has said why). progress and done may come later, from the event loop.
    virtual bool Narrated() const { return false; }
    virtual void PrepareNarration(std::function<void(int slide, int slideCount)> progress,
                                  std::function<void(std::optional<PerformanceLog>)> done)
    {
        (void)progress;
        done(std::nullopt);
    }

    // Sound recording into path for the session's length; failures are the host's to report.
    virtual void StartSound(const std::string& path) = 0;
    virtual void StopSound() = 0;

    // The session is over (the Recorder is about to close): kept by Finished or the end of the
    // show, discarded by Cancel.
    virtual void SessionEnded(bool kept) = 0;
};

// A session on the show's clock that cannot run on it from the start: its sound is heard, or
// the presenter gives the actions. It plays live and logs them (Perform), then renders (Render).
inline bool PerformsLive(const RecorderHost& host)
{
    return host.ShowTime() && (host.AudioOn() || !host.AutoRecord());
}
