// SPDX-License-Identifier: GPL-3.0-or-later
// A whole recording session without a window: a fake frame source whose show moves on with each
// slide action, a clock that jumps to each deadline, and a host that records what it hears.
#include "core/frame_store.h"
#include "record/recording_session.h"

#include <QTemporaryDir>
#include <filesystem>
#include <functional>
#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// A show of numbered steps: each slide action shows the next step, and after `steps` steps the
// end screen. Pictures are lit where the blank test looks, in a shade per step.
class FakeShow : public FrameSource {
public:
    void BeginSession() override { ++sessions; }
    void Grab(Picture& picture) override
    {
        picture.reset(595, 466);
        std::fill(picture.bits(), picture.bits() + picture.byteCount(), static_cast<uint8_t>(10 + 20 * step));
    }
    void DrawPointer(Picture& picture) override { picture.scanLine(0)[0] = 1; }
    SampleScale Scale() const override { return {}; }
    bool ShowHasEnded() override { return step >= steps; }
    void PerformSlideAction() override { ++step; }
    void PerformSlideStep(SlideStep s) override
    {
        performed.push_back(SlideStepName(s));
        FrameSource::PerformSlideStep(s);
    }
    void PointAt(const std::optional<PointerSample>& sample) override { pointedAt.push_back(sample); }

    int steps = 3;
    int step = 0;
    int sessions = 0;
    std::vector<std::string> performed;
    std::vector<std::optional<PointerSample>> pointedAt; // per grabbed slot
};

class StepClock : public SlotClock {
public:
    uint32_t TickCount() override { return now; }
    void WaitUntilElapsed(uint32_t t0, uint32_t elapsedMs) override
    {
        if (now - t0 < elapsedMs)
            now = t0 + elapsedMs + late;
        waitTimes.push_back(now - t0);
        if (onWait)
            onWait(static_cast<int>(waitTimes.size()));
    }
    uint32_t now = 4294966000u; // wraps during the session
    uint32_t late = 0;          // how late each wait returns, as the wall clock's may
    std::vector<uint32_t> waitTimes;
    std::function<void(int wait)> onWait;
};

class RecordingHost : public RecorderHost {
public:
    explicit RecordingHost(const WorkingFiles& files) : files_(files) {}
    int LatencyMs() const override { return latency; }
    bool AutoRecord() const override { return autoRecord; }
    bool CursorOn() const override { return cursorOn; }
    bool AudioOn() const override { return true; }
    double FramePeriodMs() const override { return period; }
    int SlotLimit() const override { return slotLimit; }
    const WorkingFiles& Files() const override { return files_; }
    void SetFrameCount(int n) override { frameCount = n; }
    void StartSound(const std::string&) override { log.push_back("sound on"); }
    void StopSound() override { log.push_back("sound off"); }
    void SessionEnded(bool kept) override { log.push_back(kept ? "host: kept" : "host: discarded"); }
    void PerformanceLogged(const PerformanceLog& logged) override
    {
        performance = logged;
        ++logsHeard;
    }
    std::optional<PointerSample> PointerOverShow() override
    {
        const size_t asked = pointerAsked++;
        return asked < pointer.size() ? pointer[asked] : std::nullopt;
    }
    void ShowStalled(const ShownSlide& slide, int deckMs) override
    {
        log.push_back("stalled on slide " + std::to_string(slide.number) + " after " + std::to_string(deckMs));
    }

    int latency = 1000;
    bool autoRecord = true;
    bool cursorOn = false;
    std::vector<std::optional<PointerSample>> pointer; // what each slot's question is answered
    size_t pointerAsked = 0;
    int logsHeard = 0;
    int period = 100;
    int slotLimit = kDefaultSlotLimit;
    int frameCount = 0;
    std::vector<std::string> log;
    PerformanceLog performance;

private:
    WorkingFiles files_;
};

class EventLog : public SessionEvents {
public:
    explicit EventLog(std::vector<std::string>& log) : log_(log) {}
    void PreviewReady(Picture&) override { ++previews; }
    void StatisticsChanged(const SessionStatistics& s) override { last = s; }
    void SessionEnding(bool) override { log_.push_back("ending"); }
    void SessionEnded(bool) override { log_.push_back("ended"); }
    int previews = 0;
    SessionStatistics last;

private:
    std::vector<std::string>& log_;
};

class Session : public ::testing::Test {
protected:
    std::vector<int> StoredSlots() const
    {
        std::vector<int> found;
        for (int n = 1; n <= host.frameCount + 1; ++n)
            if (FrameExists(files, n))
                found.push_back(n);
        return found;
    }

    QTemporaryDir dir;
    WorkingFiles files{dir.path().toStdString(), dir.path().toStdString() + "/rec"};
    FakeShow show;
    StepClock clock;
    RecordingHost host{files};
    EventLog events{host.log};
    RecordingSession session{host, show, clock, events};
};

} // namespace

TEST_F(Session, AutoRecordActsAtMultiplesOfTheLatencyOnTheRecordingsPeriodUntilTheShowEnds)
{
    session.Run();

    // Actions at 1000, 2000 and 3000 ms of a 100 ms period; the fourth finds the end screen.
    EXPECT_EQ(show.step, 3);
    EXPECT_EQ(StoredSlots(), (std::vector<int>{1, 10, 20, 30}));
    EXPECT_EQ(host.frameCount, 39);
    EXPECT_EQ(clock.waitTimes.front(), 200u);
    EXPECT_EQ(clock.waitTimes.back(), 4000u);
    EXPECT_FALSE(session.Active());
    EXPECT_FALSE(session.reachedSlotLimit());
    EXPECT_EQ(host.log, (std::vector<std::string>{"sound on", "ending", "host: kept", "ended", "sound off"}));
    EXPECT_EQ(events.previews, 1); // slot 1 only: the others are not 1 mod 5
    EXPECT_EQ(events.last.actions, 5);
    EXPECT_EQ(events.last.frames, 40);
    EXPECT_EQ(events.last.seconds, 4);
}

// The two halves of a recording with sound: played live on a clock whose waits return late, the
// actions are logged at the slot times a run gives them and no frame is stored; the log
// rendered stores the run's frames at the run's slots, one slot more to reach the logged end,
// without sound; an action between two slots is played at its own moment.
TEST_F(Session, APerformanceLogsItsActionsOnSlotTimesAndItsRenderingStoresWhatARunStores)
{
    const WorkingFiles liveFiles{dir.path().toStdString(), dir.path().toStdString() + "/live"};
    RecordingHost liveHost{liveFiles};
    FakeShow liveShow;
    StepClock lateClock;
    lateClock.late = 37;
    EventLog liveEvents{liveHost.log};
    RecordingSession live{liveHost, liveShow, lateClock, liveEvents};
    live.Perform();
    ASSERT_EQ(live.performance().actions.size(), 3u);
    for (size_t k = 0; k < 3; ++k)
        EXPECT_EQ(live.performance().actions[k].ms, 1000 * static_cast<long long>(k + 1));
    EXPECT_EQ(live.performance().endMs, 4000);
    EXPECT_EQ(liveHost.performance.endMs, 4000) << "the host hears of the end";
    EXPECT_EQ(liveShow.step, 3);
    EXPECT_EQ(liveShow.sessions, 0) << "nothing is grabbed live";
    EXPECT_FALSE(FrameExists(liveFiles, 1));
    EXPECT_EQ(liveHost.log, (std::vector<std::string>{"sound on", "ending", "host: kept", "ended", "sound off"}));

    session.Render(live.performance());
    EXPECT_EQ(StoredSlots(), (std::vector<int>{1, 10, 20, 30}));
    EXPECT_EQ(host.frameCount, 40) << "40 slots of 100 ms reach the end at 4000 ms";
    EXPECT_EQ(host.log, (std::vector<std::string>{"ending", "host: kept", "ended"})) << "no sound";
    EXPECT_FALSE(session.Active());

    PerformanceLog between{{{1050}}, {}, 1500};
    show.step = 0;
    clock.waitTimes.clear();
    std::filesystem::remove_all(files.WorkingDirectory());
    session.Render(between);
    EXPECT_NE(std::find(clock.waitTimes.begin(), clock.waitTimes.end(), 1050u), clock.waitTimes.end());
    EXPECT_EQ(StoredSlots(), (std::vector<int>{1, 11}));
    EXPECT_EQ(host.frameCount, 15);
}

// The presenter's own steps and pointer: logged live as they happen (the pointer only when it
// moves, changes shape or leaves), and given back to the show and its pictures when rendered.
TEST_F(Session, APresentersStepsAndPointerAreLoggedLiveAndPlayedBackIntoTheRendering)
{
    const auto at = [](double x, double y, PointerShape shape) {
        PointerSample sample;
        sample.x = x;
        sample.y = y;
        sample.shape = shape;
        return std::optional<PointerSample>(sample);
    };
    host.autoRecord = false;
    host.pointer = {std::nullopt, at(0.2, 0.5, PointerShape::Arrow), at(0.2, 0.5, PointerShape::Arrow),
                    at(0.6, 0.5, PointerShape::Hand), std::nullopt, std::nullopt};
    clock.onWait = [this](int wait) {
        if (wait == 2)
            session.LogPresenterAction(SlideStep::Next);
        if (wait == 3)
            session.LogPresenterAction(SlideStep::Previous);
        if (wait == 6)
            session.Finish();
    };
    session.Perform();
    const PerformanceLog log = session.performance();
    ASSERT_EQ(log.actions.size(), 2u);
    EXPECT_EQ(log.actions[0].ms, 300);
    EXPECT_EQ(log.actions[1].step, SlideStep::Previous);
    ASSERT_EQ(log.pointer.size(), 4u) << "a pointer that stands still is logged when it comes and goes";
    EXPECT_EQ(log.pointer[0].ms, 200);
    EXPECT_EQ(log.pointer[1].ms, 300) << "still there at 300 ms";
    EXPECT_EQ(log.pointer[1].x, 0.2);
    EXPECT_EQ(log.pointer[2].shape, PointerShape::Hand);
    EXPECT_FALSE(log.pointer[3].over) << "it left the slide";
    EXPECT_EQ(log.pointer[3].ms, 500);
    EXPECT_EQ(log.endMs, 700);

    clock.onWait = nullptr;
    host.cursorOn = true;
    session.Render(log);
    EXPECT_EQ(show.performed, (std::vector<std::string>{"next", "previous"}));
    EXPECT_EQ(show.step, 1) << "a click is a step on; Previous is the show's own key";
    ASSERT_EQ(show.pointedAt.size(), 7u);
    EXPECT_FALSE(show.pointedAt[0]) << "not yet over the slide";
    ASSERT_TRUE(show.pointedAt[2]);
    EXPECT_EQ(show.pointedAt[2]->x, 0.2) << "where it stood still, not on a line to where it went";
    EXPECT_EQ(show.pointedAt[3]->shape, PointerShape::Hand);
    EXPECT_FALSE(show.pointedAt[4]) << "gone once it left";

    show.pointedAt.clear();
    host.cursorOn = false;
    std::filesystem::remove_all(files.WorkingDirectory());
    session.Render(log);
    EXPECT_TRUE(std::none_of(show.pointedAt.begin(), show.pointedAt.end(), [](const auto& p) { return p.has_value(); }))
        << "Cursor Off draws no pointer";
}

TEST_F(Session, FinishedAndCancelEndTheLoopAtOnceAndTellTheHostWhetherToKeep)
{
    for (const bool keep : {true, false}) {
        host.log.clear();
        host.autoRecord = false;
        clock.onWait = [&](int wait) {
            if (wait == 5)
                keep ? session.Finish() : session.Cancel();
        };
        clock.waitTimes.clear();
        session.Run();
        EXPECT_EQ(clock.waitTimes.size(), 5u);
        EXPECT_EQ(show.step, 0) << "Custom Record never acts by itself";
        EXPECT_FALSE(session.Active());
        const std::string told = keep ? "host: kept" : "host: discarded";
        EXPECT_EQ(host.log, (std::vector<std::string>{"sound on", "ending", told, "ended", "sound off"}));
    }
    EXPECT_EQ(show.sessions, 2);
}

TEST_F(Session, TheSlotLimitEndsTheLoopButLeavesTheSessionToItsFrontEnd)
{
    host.slotLimit = 6;
    host.latency = 100000;
    session.Run();
    EXPECT_EQ(host.frameCount, 5);
    EXPECT_TRUE(session.Active());
    EXPECT_TRUE(session.reachedSlotLimit());
    // A second Start while it is active does nothing.
    session.Run();
    EXPECT_EQ(show.sessions, 1);
    session.Finish();
    EXPECT_FALSE(session.Active());
}

TEST_F(Session, AFrameStoreThatCannotWriteStopsTheLoopWithItsErrorAndTheSoundOff)
{
    std::filesystem::remove_all(files.WorkingDirectory());
    std::FILE* blocker = std::fopen(files.WorkingDirectory().substr(0, files.WorkingDirectory().size() - 1).c_str(), "w");
    ASSERT_NE(blocker, nullptr);
    std::fclose(blocker);
    EXPECT_THROW(session.Run(), std::exception);
    EXPECT_EQ(host.log, (std::vector<std::string>{"sound on", "sound off"}));
    EXPECT_EQ(host.frameCount, 1);
}

namespace {

// A show whose steps report themselves as slides, and where some steps move on by themselves
// after a set time on the session's clock, as a deck's timed slides do; a stalled step says
// it will and never does.
class TimedShow : public FakeShow {
public:
    explicit TimedShow(StepClock& clock) : clock_(clock)
    {
        clock_.onWait = [this](int) {
            const auto timer = timers.find(step);
            if (step < steps && timer != timers.end() && !stalls.count(step) &&
                clock_.now - startedAt_ >= static_cast<uint32_t>(timer->second))
                Show(step + 1);
        };
    }
    void BeginSession() override { startedAt_ = clock_.now; }
    void PerformSlideAction() override
    {
        ++clicks;
        Show(step + 1);
    }
    // The end screen is no slide: the viewer's last report stands.
    ShownSlide CurrentSlide() override
    {
        const int shown = std::min(step, steps - 1);
        return {shown + 1, shown == 2 ? "" : "Step " + std::to_string(shown)};
    }
    int SelfAdvanceMs() override { return step < steps && timers.count(step) > 0 ? timers.at(step) : -1; }

    std::map<int, int> timers; // step -> ms after which it moves on by itself
    std::set<int> stalls;
    int clicks = 0;

private:
    void Show(int next)
    {
        step = next;
        startedAt_ = clock_.now;
    }
    StepClock& clock_;
    uint32_t startedAt_ = 0;
};

} // namespace

TEST_F(Session, SlidesAreNotedAtTheirSlotsAndATimedSlideMovesOnByItselfWithoutAClick)
{
    struct Case {
        std::map<int, int> timers;
        std::set<int> stalls;
        std::vector<int> starts; // where slides 1..4 came on screen
        int clicks;
    } cases[] = {
        // Every step on the latency: 1000 ms of a 100 ms period apart.
        {{}, {}, {1, 10, 20, 30}, 4},
        // Slide 2 moves on after 2500 ms by itself; slide 3 then gets its full latency.
        {{{1, 2500}}, {}, {1, 10, 35, 45}, 3},
        // Slide 2 says so and never does: four latencies past its time the recorder clicks.
        {{{1, 2500}}, {1}, {1, 10, 75, 85}, 4},
    };
    for (const Case& c : cases) {
        StepClock stepClock;
        TimedShow timed(stepClock);
        timed.steps = 4;
        timed.timers = c.timers;
        timed.stalls = c.stalls;
        RecordingHost timedHost{files};
        EventLog log{timedHost.log};
        RecordingSession timedSession{timedHost, timed, stepClock, log};
        timedSession.Run();

        std::vector<int> starts;
        for (const SlideMark& mark : timedSession.slides()) {
            starts.push_back(mark.slot);
            EXPECT_EQ(mark.title, mark.slide == 3 ? "" : "Step " + std::to_string(mark.slide - 1));
        }
        ASSERT_EQ(starts.size(), c.starts.size());
        for (size_t k = 0; k < starts.size(); ++k)
            EXPECT_NEAR(starts[k], c.starts[k], 1) << "slide " << k + 1;
        EXPECT_EQ(timed.clicks, c.clicks) << "the last click finds the end screen";
        EXPECT_EQ(std::count(timedHost.log.begin(), timedHost.log.end(), "stalled on slide 2 after 2500"),
                  static_cast<long>(c.stalls.size()));
    }
}
