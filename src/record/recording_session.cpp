// SPDX-License-Identifier: GPL-3.0-or-later
#include "record/recording_session.h"

#include "record/frame_recorder.h"

#include <algorithm>
#include <cstdint>

namespace {

// Stops the sound recording however the loop ends, an error from the frame store included.
class SoundSession {
public:
    SoundSession(RecorderHost& host, bool enabled)
        : host_(host)
        , enabled_(enabled)
    {
        if (enabled_)
            host_.StartSound(host_.Files().SoundFilePath());
    }
    ~SoundSession()
    {
        if (enabled_)
            host_.StopSound();
    }
    SoundSession(const SoundSession&) = delete;
    SoundSession& operator=(const SoundSession&) = delete;

private:
    RecorderHost& host_;
    bool enabled_;
};

} // namespace

RecordingSession::RecordingSession(RecorderHost& host, FrameSource& source, SlotClock& clock, SessionEvents& events)
    : host_(host)
    , source_(&source)
    , clock_(&clock)
    , events_(events)
{
}

void RecordingSession::SetCapture(FrameSource& source, SlotClock& clock)
{
    source_ = &source;
    clock_ = &clock;
}

SessionStatistics RecordingSession::Statistics(int actions, int frames, double framePeriodMs)
{
    return {actions, frames, SlotsDurationMs(frames, framePeriodMs) / 1000};
}

void RecordingSession::Run()
{
    Loop(Pass::Record, {});
}

void RecordingSession::Perform()
{
    Loop(Pass::Perform, {});
}

void RecordingSession::Render(const PerformanceLog& log)
{
    Loop(Pass::Render, log);
}

void RecordingSession::Loop(Pass pass, const PerformanceLog& script)
{
    if (Active())
        return;
    const int session = ++sessionsStarted_;
    active_ = session;
    reachedSlotLimit_ = false;
    host_.Files().EnsureWorkingDirectory();
    // This session's capture, whatever a nested handler sets for the next one.
    FrameSource& source = *source_;
    SlotClock& clock = *clock_;
    const bool frames = pass != Pass::Perform;
    if (frames)
        source.BeginSession();
    FrameRecorder recorder(source, host_.Files());

    // A rendering is silent: the sound of its performance is already recorded.
    SoundSession sound(host_, pass != Pass::Render && host_.AudioOn());
    const double period = host_.FramePeriodMs();
    const int slotLimit = host_.SlotLimit();
    int i = 1; // the slot
    int a = 1; // the next automatic action
    // The performance's clock starts with the sound.
    const uint32_t t0 = clock.TickCount();
    slotLateness_.clear();
    slides_.clear();
    if (pass == Pass::Perform) {
        performance_ = {};
        pointerToldMs_ = 0;
        pointerStillMs_ = 0;
        performClock_ = &clock;
        performT0_ = t0;
    }
    size_t next = 0; // the next logged action to render
    ActionSchedule schedule;
    // Finished, Cancel and the end of the show end the session; the loop stops at the top of
    // its next pass.
    const auto running = [this, session] { return active_ == session; };

    while (i < slotLimit && running()) {
        host_.SetFrameCount(i);
        const uint32_t due = i == 1 ? 0u : static_cast<uint32_t>(SlotsDurationMs(i, period));
        slotLateness_.push_back(static_cast<int>(clock.TickCount() - t0 - due));

        if (pass == Pass::Perform)
            LogPointer(static_cast<long long>(clock.TickCount() - t0));
        if (frames) {
            NoteSlide(i);
            // The picture shows the show at the clock's moment; so does its pointer.
            if (pass == Pass::Render)
                source.PointAt(host_.CursorOn() ? PointerAt(script.pointer, static_cast<long long>(clock.TickCount() - t0))
                                                : std::nullopt);
            const auto stored = recorder.CaptureSlot(i, host_.CursorOn());
            // The preview follows every fifth slot only: scaling costs more than the rest.
            if (stored == FrameRecorder::SlotResult::Stored && i % 5 == 1)
                events_.PreviewReady(recorder.current());
        }
        // The last slot a rendering needs: the frames now reach the end of the sound.
        if (pass == Pass::Render && SlotsDurationMs(i, period) >= script.endMs)
            Finish();
        ++i;
        const long long slotMs = SlotsDurationMs(i, period);
        if (pass == Pass::Render && running())
            a += PlayLoggedActions(script, next, source, clock, t0, slotMs, false);
        clock.WaitUntilElapsed(t0, static_cast<uint32_t>(slotMs));
        // The slot's frame file was written during the wait; a write error ends the loop
        // before the next slot, as a write in the loop itself would.
        recorder.AwaitStored();

        // A session ended during the wait sends no more input: the click would land in
        // whatever is under the hidden recorder.
        if (running() && pass == Pass::Render) {
            a += PlayLoggedActions(script, next, source, clock, t0, slotMs, true);
        } else if (running() && host_.AutoRecord()) {
            // Live, the schedule runs on the slots' own times rather than on the moment the
            // wait returned: its actions fall on the slots the show's clock would give them,
            // and the rendering of the log lands on the same ones.
            const long long elapsedMs = pass == Pass::Perform ? slotMs : static_cast<long long>(clock.TickCount() - t0);
            if (PerformActionWhenDue(schedule, elapsedMs)) {
                ++a;
                if (pass == Pass::Perform && running()) {
                    performance_.actions.push_back({elapsedMs});
                    host_.PerformanceLogged(performance_);
                }
            }
        }
        events_.StatisticsChanged(Statistics(a, i, period));
    }
    reachedSlotLimit_ = running();
    recorder.AwaitStored();
    if (pass == Pass::Perform) {
        performClock_ = nullptr;
        // The end of the show was found at the last slot's time, or the slot limit reached it.
        performance_.endMs = SlotsDurationMs(i, period);
        host_.PerformanceLogged(performance_);
    }
}

void RecordingSession::LogPresenterAction(SlideStep step)
{
    if (!Active() || !performClock_)
        return;
    const long long ms = static_cast<long long>(performClock_->TickCount() - performT0_);
    // The log never goes back in time, whatever an automatic action's slot time said.
    const long long last = performance_.actions.empty() ? 0 : performance_.actions.back().ms;
    performance_.actions.push_back({std::max(ms, last), step});
    host_.PerformanceLogged(performance_);
}

void RecordingSession::LogPointer(long long ms)
{
    const std::optional<PointerSample> now = host_.PointerOverShow();
    std::vector<PointerSample>& samples = performance_.pointer;
    const bool wasOver = !samples.empty() && samples.back().over;
    if (!now) {
        if (!wasOver)
            return;
        PointerSample left;
        left.ms = ms;
        left.over = false;
        samples.push_back(left);
    } else {
        if (wasOver && samples.back().x == now->x && samples.back().y == now->y && samples.back().shape == now->shape) {
            pointerStillMs_ = ms;
            return;
        }
        // A pointer that stood still moves from where it stood at the last slot it was seen
        // there, not in a slow line from where it came to rest.
        if (wasOver && pointerStillMs_ > samples.back().ms) {
            samples.push_back(samples.back());
            samples.back().ms = pointerStillMs_;
        }
        samples.push_back(*now);
        samples.back().ms = ms;
        samples.back().over = true;
        pointerStillMs_ = ms;
    }
    if (ms - pointerToldMs_ >= 1000) {
        pointerToldMs_ = ms;
        host_.PerformanceLogged(performance_);
    }
}

int RecordingSession::PlayLoggedActions(const PerformanceLog& script, size_t& next, FrameSource& source,
                                        SlotClock& clock, uint32_t t0, long long untilMs, bool atBoundary)
{
    int played = 0;
    for (; next < script.actions.size(); ++next) {
        const long long ms = script.actions[next].ms;
        if (ms > untilMs || (ms == untilMs && !atBoundary))
            break;
        // An action at the slot's own time waits for the slot, as a live one does; one between
        // two slots gets the show's clock stepped to its moment.
        if (ms < untilMs)
            clock.WaitUntilElapsed(t0, static_cast<uint32_t>(std::max(0LL, ms)));
        source.PerformSlideStep(script.actions[next].step);
        ++played;
    }
    return played;
}

void RecordingSession::NoteSlide(int slot)
{
    const ShownSlide shown = source_->CurrentSlide();
    if (shown.number > 0)
        AddSlideMark(slides_, {slot, shown.number, shown.title});
}

bool RecordingSession::PerformActionWhenDue(ActionSchedule& schedule, long long elapsedMs)
{
    const int selfAdvanceMs = source_->SelfAdvanceMs();
    const bool advancing = selfAdvanceMs >= 0 && !schedule.stalled;
    if (schedule.showWasAdvancing && !advancing && !schedule.stalled) {
        schedule.fromMs = elapsedMs;
        schedule.steps = 1;
    }
    if (selfAdvanceMs < 0)
        schedule.stalled = false;
    if (advancing && !schedule.showWasAdvancing)
        schedule.advancingFromMs = elapsedMs;
    schedule.showWasAdvancing = advancing;
    if (advancing) {
        // A show waiting on a timer that never fires would hold the recording until its slot
        // limit: past the deck's own time and several latencies more, the recorder clicks.
        const long long latency = host_.LatencyMs();
        if (elapsedMs < schedule.advancingFromMs + selfAdvanceMs + std::max(4 * latency, 2000LL))
            return false;
        schedule.stalled = true;
        schedule.showWasAdvancing = false;
        host_.ShowStalled(source_->CurrentSlide(), selfAdvanceMs);
        schedule.fromMs = elapsedMs;
        schedule.steps = 0;
    }
    const long long due = schedule.fromMs + static_cast<long long>(host_.LatencyMs()) * schedule.steps;
    if (elapsedMs < due)
        return false;
    NextAction();
    ++schedule.steps;
    return true;
}

void RecordingSession::NextAction()
{
    host_.Files().EnsureWorkingDirectory();
    if (source_->ShowHasEnded()) {
        Finish();
        return;
    }
    source_->PerformSlideAction();
}

void RecordingSession::Finish()
{
    End(true);
}

void RecordingSession::Cancel()
{
    End(false);
}

void RecordingSession::End(bool kept)
{
    active_ = 0;
    events_.SessionEnding(kept);
    host_.SetSlides(slides_);
    host_.SessionEnded(kept);
    events_.SessionEnded(kept);
}
