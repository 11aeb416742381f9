// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/record_deck.h"

#include "audio/performance_sound.h"
#include "cli/cli_recorder_host.h"
#include "platform/interruption.h"
#include "cli/kept_recording_journal.h"
#include "cli/output_writer.h"
#include "cli/show_window.h"
#include "cli/terminal.h"
#include "core/deckrec_error.h"
#include "core/frame_period.h"
#include "core/presentation_page.h"
#include "platform/browser_control.h"
#include "platform/slot_clock.h"
#include "platform/fonts/font_resolver.h"
#include "show/presentation_converter.h"
#include "show/show_cache.h"
#include "platform/webengine/webengine_browser.h"
#include "platform/x11/x11_cursor_source.h"
#include "platform/x11/x11_screen_grabber.h"
#include "platform/x11/xtest_input_injector.h"
#include "platform/show_renderer.h"
#include "record/recording_session.h"
#include "record/screen_frame_source.h"
#include "record/show_state.h"
#include "record/show_time_clock.h"
#include "record/view_frame_source.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <memory>

namespace {

// LibreOffice converts a large deck in a minute or two on a slow machine.
constexpr int kShowReadyTimeoutMs = 300000;

// Runs the event loop until ready() or the timeout; false on timeout or interruption.
bool WaitFor(const std::function<bool()>& ready, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!ready()) {
        if (Interrupted() || timer.elapsed() > timeoutMs)
            return false;
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

// Where the pictures come from and what moves the slots on: the screen and the wall clock, or
// the view's own rendering and the show's own time.
class Rig {
public:
    virtual ~Rig() = default;
    virtual FrameSource& source() = 0;
    virtual SlotClock& clock() = 0;
    virtual void Show(ShowWindow& window) = 0;
};

class ScreenRig : public Rig {
public:
    explicit ScreenRig(const ShowWindow& window) : source_(grabber_, cursor_, input_, window) {}
    FrameSource& source() override { return source_; }
    SlotClock& clock() override { return clock_; }
    void Show(ShowWindow& window) override { window.ShowOnTop(); }

private:
    X11ScreenGrabber grabber_;
    X11CursorSource cursor_;
    XTestInputInjector input_;
    EventLoopSlotClock clock_;
    ScreenFrameSource source_;
};

class ShowTimeRig : public Rig {
public:
    explicit ShowTimeRig(ShowRenderer& renderer) : clock_(renderer), source_(renderer) {}
    FrameSource& source() override { return source_; }
    SlotClock& clock() override { return clock_; }
    void Show(ShowWindow& window) override { window.ShowFrameOnly(); }

private:
    ShowTimeClock clock_;
    ViewFrameSource source_;
};

// The deck's speaker notes from its flat XML, converted once the recording is over (LibreOffice
// would take its share of the machine from a recording in real time); false when there are none
// to read.
// The deck as LibreOffice's flat XML; empty when it cannot be converted.
std::string FlatDeck(PresentationConverter& shows, const std::string& deck)
{
    bool done = false;
    QString flat;
    shows.ConvertToFlat(QString::fromStdString(deck), [&](const QString& path) {
        flat = path;
        done = true;
    });
    WaitFor([&done] { return done; }, kShowReadyTimeoutMs);
    if (Interrupted())
        throw InterruptedError();
    return flat.toStdString();
}

bool ReadDeckNotes(PresentationConverter& shows, const std::string& deck, DeckText& text, Terminal& terminal)
{
    terminal.Status("Reading the speaker notes of " + deck);
    const std::string flat = FlatDeck(shows, deck);
    if (flat.empty())
        return false;
    text = ReadFlatDeckTextFile(flat);
    return !text.titles.empty();
}

// A narrated recording's plan from the deck's notes, read first.
NarrationPlan Narrate(const Narrator& narrator, PresentationConverter& shows, const std::string& deck,
                      DeckRecording& recording, Terminal& terminal)
{
    terminal.Status("Reading the speaker notes of " + deck);
    const std::string flat = FlatDeck(shows, deck);
    if (!flat.empty())
        recording.text = ReadFlatDeckTextFile(flat);
    recording.notesRead = !recording.text.titles.empty();
    if (!recording.notesRead)
        throw DeckrecError("cannot narrate " + deck + ": its slides and speaker notes could not be read");
    return narrator(flat, recording.text);
}

// Opens the deck's page in the window and waits for its first slide (or the page that says why
// there is none), as Record Now does: the presentation gets the keyboard focus now and again
// once the page has had time to load.
void OpenShow(ShowWindow& window, const WebEngineBrowser& browser, Rig& rig, const RecordingSession& session, const PresentationConverter& shows,
              const WorkingFiles& files, const std::string& deck, Terminal& terminal)
{
    files.EnsureWorkingDirectory();
    WriteGeneratedPage(files, deck);
    window.browser().Navigate(QStringLiteral("about:blank"));
    rig.Show(window);
    for (int k = 0; k < 4; ++k)
        QCoreApplication::processEvents();
    window.browser().FocusPresentation();
    QTimer::singleShot(500, &window, [&window, &session] {
        if (window.isVisible() && !session.Active())
            window.browser().FocusPresentation();
    });
    window.browser().Navigate(QString::fromStdString(GeneratedPagePath(files)));

    terminal.Status("Opening " + deck);
    const bool ready = WaitFor([&window] { return ShowIsOpen(window.State()); }, kShowReadyTimeoutMs);
    if (Interrupted())
        throw InterruptedError();
    if (!ready)
        throw DeckrecError("cannot show " + deck + ": the slide show did not start within " +
                           std::to_string(kShowReadyTimeoutMs / 1000) + " seconds: " + browser.WhyNoSlide());
    if (window.State() == PageState::CannotShow)
        throw DeckrecError("cannot show " + deck + ": " + shows.WhyCannotShow(QString::fromStdString(deck)).toStdString());
}

// One warning line per font of the deck the show draws with another face's widths; with
// --strict-fonts such a font stops the run before anything is recorded.
void CheckDeckFonts(PresentationConverter& shows, const CommandLine& command, const std::string& deck,
                    Terminal& terminal)
{
    QStringList missing;
    // The show is converted by now, so the answer comes at once, from the cache.
    shows.CheckFonts(QString::fromStdString(deck), [&missing](const QStringList& lines) { missing = lines; });
    if (missing.isEmpty())
        return;
    if (command.strictFonts)
        throw DeckrecError("cannot record " + deck + " as its author made it: " + missing.join(QStringLiteral("; ")).toStdString() +
                           " (--strict-fonts)");
    for (const QString& line : missing)
        terminal.Error("warning: " + line.toStdString());
}

} // namespace

namespace {

// A window that shows the deck, its browser, and the rig that records from it.
struct Stage {
    WebEngineBrowser* browser = nullptr;
    std::unique_ptr<ShowWindow> window;
    std::unique_ptr<Rig> rig;
};

std::unique_ptr<Stage> MakeStage(const CommandLine& command, PresentationConverter& shows, bool showTime)
{
    auto stage = std::make_unique<Stage>();
    stage->window = std::make_unique<ShowWindow>(command.capture, [&](QWidget* parent) {
        stage->browser = new WebEngineBrowser(parent, shows);
        stage->browser->UseShowClock(showTime);
        stage->browser->SetDeckTimings(command.deckTimings);
        return stage->browser;
    });
    if (showTime)
        stage->rig = std::make_unique<ShowTimeRig>(*stage->browser->showRenderer());
    else
        stage->rig = std::make_unique<ScreenRig>(*stage->window);
    return stage;
}

} // namespace

namespace {

// One run of a deck: LibreOffice's shows, the host and the session, and the stage the session
// records from (a stage of the show's clock replaces a live one for the rendering).
class DeckRun {
public:
    DeckRun(const CommandLine& command, const std::string& deck, const WorkingFiles& files,
            SoundInputService* soundInput, Terminal& terminal)
        : command_(command)
        , deck_(deck)
        , files_(files)
        , terminal_(terminal)
        // Every run shares LibreOffice's shows: a batch, or the same deck again, converts once.
        , shows_(ShowCache::DefaultFolder(), ShowCache::DefaultLimitBytes(), FontResolver::Shared())
        , host_(command, files, soundInput, terminal)
    {
        shows_.Prepare(QString::fromStdString(deck));
    }

    CliRecorderHost& host() { return host_; }
    RecordingSession& session() { return *session_; }
    PresentationConverter& shows() { return shows_; }

    // Opens the deck on a new stage, on the show's clock or the wall clock, and records from it
    // from now on; the stage before is blanked (the live show's own sounds stop with it) and hidden.
    void Open(bool showTime)
    {
        if (stage_) {
            stage_->window->browser().Navigate(QStringLiteral("about:blank"));
            stage_->window->hide();
            retired_ = std::move(stage_);
        }
        stage_ = MakeStage(command_, shows_, showTime);
        if (session_)
            session_->SetCapture(stage_->rig->source(), stage_->rig->clock());
        else
            session_ = std::make_unique<RecordingSession>(host_, stage_->rig->source(), stage_->rig->clock(), events_);
        Follow(*stage_->window);
        OpenShow(*stage_->window, *stage_->browser, *stage_->rig, *session_, shows_, files_, deck_, terminal_);
    }

    // The pictures of log, on the stage open now (one of the show's clock).
    void RenderHere(const PerformanceLog& log)
    {
        host_.SetRendering(SlotsToRender(log, host_.FramePeriodMs(), host_.SlotLimit()));
        session_->Render(log);
    }

    // Whether the session's end leaves a recording to go on with.
    void CheckKept() const
    {
        if (Interrupted())
            throw InterruptedError();
        if (!host_.soundError().empty())
            throw DeckrecError("cannot record sound: " + host_.soundError());
        if (!host_.kept())
            throw DeckrecError("the recording was cancelled");
    }

    // The session over: what it recorded, with the deck's notes when the outputs need them.
    DeckRecording Conclude(DeckRecording recording)
    {
        recording.reachedSlotLimit = session_->reachedSlotLimit();
        recording.lastCaption = stage_->window->caption().toStdString();
        // The slot limit ends the loop without ending the session.
        if (session_->Active())
            session_->Finish();
        CheckKept();
        recording.frameCount = host_.frameCount();
        recording.withSound = command_.audio || recording.narration.has_value();
        recording.framePeriodMs = host_.FramePeriodMs();
        recording.slides = session_->slides();
        if (OutputsNeedNotes(command_) && !recording.notesRead)
            recording.notesRead = ReadDeckNotes(shows_, deck_, recording.text, terminal_);
        terminal_.Summary("Recorded " + std::to_string(recording.frameCount) + " slots (" +
                          DurationText(SlotsDurationMs(recording.frameCount, recording.framePeriodMs)) + ")");
        return recording;
    }

private:
    // The session follows the window's caption, stops at a sound failure, and is cancelled
    // by Ctrl+C.
    void Follow(ShowWindow& window)
    {
        RecordingSession& session = *session_;
        host_.setTitleSource([&window] { return window.caption().toStdString(); });
        host_.setSoundFailureHandler([&window, &session] {
            QTimer::singleShot(0, &window, [&session] {
                if (session.Active())
                    session.Cancel();
            });
        });
        OnInterruption(&window, [&session] {
            if (session.Active())
                session.Cancel();
        });
    }

    const CommandLine& command_;
    const std::string deck_;
    const WorkingFiles& files_;
    Terminal& terminal_;
    PresentationConverter shows_;
    std::unique_ptr<Stage> retired_;
    std::unique_ptr<Stage> stage_;
    CliRecorderHost host_;
    SessionEvents events_;
    std::unique_ptr<RecordingSession> session_;
};

} // namespace

DeckRecording RecordDeck(const CommandLine& command, const std::string& deck, const WorkingFiles& files,
                         SoundInputService* soundInput, Terminal& terminal, const Narrator& narrator)
{
    const bool showTime = RecordsOnShowTime(command);
    DeckRun run(command, deck, files, soundInput, terminal);
    const std::unique_ptr<KeptRecordingJournal> journal = JournalKeptRecording(command, deck, files, run.host());
    run.Open(showTime);
    CheckDeckFonts(run.shows(), command, deck, terminal);
    DeckRecording recording;
    if (narrator)
        recording.narration = Narrate(narrator, run.shows(), deck, recording, terminal);
    if (journal) {
        journal->FollowSlides([&run] { return run.session().slides(); });
        // On the show's clock LibreOffice takes nothing from the recording: the notes are read
        // first, so that a run that is killed keeps them too.
        if (showTime && OutputsNeedNotes(command) && !recording.notesRead)
            recording.notesRead = ReadDeckNotes(run.shows(), deck, recording.text, terminal);
        if (recording.notesRead)
            journal->KeepNotes(recording.text.notes);
    }
    if (recording.narration) {
        recording.performance = recording.narration->log;
        run.RenderHere(recording.performance);
    } else if (PerformsLive(command)) {
        // Written down before the sound starts: a run killed before its first action still
        // leaves a performance to export.
        if (journal)
            journal->KeepPerformance({});
        run.host().SetPerforming();
        run.session().Perform();
        // The slot limit ends the loop without ending the session.
        if (run.session().Active())
            run.session().Finish();
        run.CheckKept();
        recording.performance = run.session().performance();
        if (command.audio)
            EndWithSound(recording.performance, files.SoundFilePath());
        run.Open(true);
        run.RenderHere(recording.performance);
    } else {
        run.session().Run();
    }
    return run.Conclude(std::move(recording));
}

DeckRecording RenderPerformance(const CommandLine& command, const std::string& deck, const WorkingFiles& files,
                                const PerformanceLog& log, DeckRecording known, Terminal& terminal)
{
    DeckRun run(command, deck, files, nullptr, terminal);
    run.Open(true);
    CheckDeckFonts(run.shows(), command, deck, terminal);
    run.RenderHere(log);
    known.performance = log;
    return run.Conclude(std::move(known));
}
