// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One recording session without a window: Start Record's slot loop, the automatic slide
// actions, the end of the show, Finished and Cancel, and the statistics. The Recorder window
// and the command line both run it with the frame source and clock they hand in, and hear of
// it through SessionEvents; the host gives the settings and takes the recording. A recording
// with sound on the show's own clock is two sessions: Perform plays the show live with the
// sound and logs what the recorder did, Render draws the pictures of that log.

#include "core/performance_log.h"
#include "core/picture.h"
#include "core/slide_timeline.h"
#include "platform/slot_clock.h"
#include "record/frame_source.h"
#include "record/recorder_host.h"

#include <cstddef>
#include <vector>

struct SessionStatistics {
    int actions = 0; // the number of the next automatic action
    int frames = 0;  // the number of the next slot
    long long seconds = 0;
};

// What a front end shows of a session. Every call runs on the session's thread, inside the
// loop or inside Finish and Cancel.
class SessionEvents {
public:
    virtual ~SessionEvents() = default;
    // A stored slot to show small; the receiver may change the picture (scale it).
    virtual void PreviewReady(Picture& picture) { (void)picture; }
    // After each pass of the loop.
    virtual void StatisticsChanged(const SessionStatistics& statistics) { (void)statistics; }
    // The session is over and the host is about to hear of it: the page stops here.
    virtual void SessionEnding(bool kept) { (void)kept; }
    // The host has heard of it: the Recorder closes here.
    virtual void SessionEnded(bool kept) { (void)kept; }
};

class RecordingSession {
public:
    // Nothing is owned; all outlive the session.
    RecordingSession(RecorderHost& host, FrameSource& source, SlotClock& clock, SessionEvents& events);

    // The frame source and clock of the next sessions (the constructor's until then).
    void SetCapture(FrameSource& source, SlotClock& clock);

    // Start Record: records until Finish, Cancel, the end of the show or the slot limit. The
    // slot limit ends the loop but not the session: Active() stays true until Finish or
    // Cancel. Does nothing while a session is active. Errors of the frame store pass through
    // with the session still active; the sound recording is stopped either way.
    void Run();
    // The live half of a recording with sound: as Run, on the wall clock, with the sound, but
    // no frame is taken. Every automatic action is dispatched at its scheduled slot time and
    // logged at that moment (ms from the start of the sound: the moment the sound heard it,
    // give or take the dispatch's own delay), and the session's end with it; the host hears of
    // the log after each change (PerformanceLogged).
    void Perform();
    // A slide action the presenter gave the show during Perform (a click or a key on its view):
    // logged at this moment, as the automatic ones are. Nothing outside a Perform.
    void LogPresenterAction(SlideStep step = SlideStep::Next);
    // The pictures of a performance: as Run, without sound and without the automatic actions.
    // Each logged action is dispatched at its own ms (the clock steps to that moment between
    // two slots), and the session takes slots until they cover the logged end, so that the
    // frames last as long as the sound. With Cursor On each picture gets the logged pointer of
    // its moment. Meant for the show's clock.
    void Render(const PerformanceLog& log);
    // Finished and Cancel: end the session (also when none runs), keeping the recording or not.
    void Finish();
    void Cancel();
    // Next Action: ends the session as Finished does when the show is over, otherwise moves
    // the show on by one step.
    void NextAction();

    bool Active() const { return active_ != 0; }
    // The last Run stopped at the slot limit rather than by an end of the session.
    bool reachedSlotLimit() const { return reachedSlotLimit_; }
    // How late each slot of the last Run was taken, in ms after its due time.
    const std::vector<int>& slotLateness() const { return slotLateness_; }
    // The slides of the last Run: the slot before whose grab each one was reported on screen.
    const std::vector<SlideMark>& slides() const { return slides_; }
    // What the last Perform logged.
    const PerformanceLog& performance() const { return performance_; }

    static SessionStatistics Statistics(int actions, int frames, double framePeriodMs);

private:
    enum class Pass { Record, Perform, Render };
    void Loop(Pass pass, const PerformanceLog& script);
    // Dispatches the logged actions of script from next on that fall before untilMs (or at it,
    // when atBoundary), stepping the clock to each one's moment first; returns how many.
    int PlayLoggedActions(const PerformanceLog& script, size_t& next, FrameSource& source, SlotClock& clock,
                          uint32_t t0, long long untilMs, bool atBoundary);
    void End(bool kept);
    // Logs where the host says the pointer stands, when it moved, changed shape or left the
    // slide since the last sample; the host hears of the log at most once a second for it.
    void LogPointer(long long ms);
    void NoteSlide(int slot);

    // When the next automatic action is due: latency after latency from the start, but a step
    // the show took by itself starts the count again from that moment, so that the slide it
    // brought gets its full latency and no click follows the show's own.
    struct ActionSchedule {
        long long fromMs = 0;
        int steps = 1;
        bool showWasAdvancing = false;
        long long advancingFromMs = 0;
        // The show said it would move on by itself and did not: its word counts no more until
        // it takes a step.
        bool stalled = false;
    };
    // Performs the next action when due; true when it did.
    bool PerformActionWhenDue(ActionSchedule& schedule, long long elapsedMs);

    RecorderHost& host_;
    FrameSource* source_;
    SlotClock* clock_;
    SessionEvents& events_;
    std::vector<int> slotLateness_;
    std::vector<SlideMark> slides_;
    PerformanceLog performance_;
    // The number of the running session, 0 when none: a loop runs only while its own session
    // is the active one, so a session started inside a nested handler never revives an old loop.
    int active_ = 0;
    // The clock and start of the running Perform, for the presenter's actions; null otherwise.
    SlotClock* performClock_ = nullptr;
    uint32_t performT0_ = 0;
    long long pointerToldMs_ = 0; // when the host last heard of the log for the pointer's sake
    long long pointerStillMs_ = 0; // the last slot that saw the pointer where it was last logged
    int sessionsStarted_ = 0;
    bool reachedSlotLimit_ = false;
};
