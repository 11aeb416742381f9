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

// The deck's speaker notes from its flat XML, converted once the recording is over (LibreOffice
// would take its share of the machine from a recording in real time); false when there are none
// to read.
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

DeckRecording RecordDeck(const CommandLine& command, const std::string& deck, const WorkingFiles& files,
                         SoundInputService* soundInput, Terminal& terminal, const Narrator& narrator)
{
    // Every run shares LibreOffice's shows: a batch, or the same deck again, converts once.
    PresentationConverter shows(ShowCache::DefaultFolder(), ShowCache::DefaultLimitBytes(), FontResolver::Shared());
    shows.Prepare(QString::fromStdString(deck));

    const bool showTime = RecordsOnShowTime(command);
    const bool live = PerformsLive(command);
    std::unique_ptr<Stage> stage = MakeStage(command, shows, showTime);
    CliRecorderHost host(command, files, soundInput, terminal);
    const std::unique_ptr<KeptRecordingJournal> journal = JournalKeptRecording(command, deck, files, host);
    SessionEvents events;
    RecordingSession session(host, stage->rig->source(), stage->rig->clock(), events);
    const auto follow = [&host, &session](ShowWindow& window) {
        host.setTitleSource([&window] { return window.caption().toStdString(); });
        host.setSoundFailureHandler([&window, &session] {
            QTimer::singleShot(0, &window, [&session] {
                if (session.Active())
                    session.Cancel();
            });
        });
        OnInterruption(&window, [&session] {
            if (session.Active())
                session.Cancel();
        });
    };
    // Whether the session's end leaves a recording to go on with.
    const auto checkKept = [&host] {
        if (Interrupted())
            throw InterruptedError();
        if (!host.soundError().empty())
            throw DeckrecError("cannot record sound: " + host.soundError());
        if (!host.kept())
            throw DeckrecError("the recording was cancelled");
    };
    follow(*stage->window);

    OpenShow(*stage->window, *stage->browser, *stage->rig, session, shows, files, deck, terminal);
    CheckDeckFonts(shows, command, deck, terminal);
    DeckRecording recording;
    if (narrator)
        recording.narration = Narrate(narrator, shows, deck, recording, terminal);
    // The frames of a logged performance, on the show's clock, in the stage's view.
    const auto renderLog = [&](const PerformanceLog& log) {
        host.SetRendering(SlotsToRender(log, host.FramePeriodMs(), host.SlotLimit()));
        session.Render(log);
    };
    if (journal) {
        journal->FollowSlides([&session] { return session.slides(); });
        // On the show's clock LibreOffice takes nothing from the recording: the notes are read
        // first, so that a run that is killed keeps them too.
        if (showTime && OutputsNeedNotes(command) && !recording.notesRead)
            recording.notesRead = ReadDeckNotes(shows, deck, recording.text, terminal);
        if (recording.notesRead)
            journal->KeepNotes(recording.text.notes);
    }
    if (recording.narration) {
        recording.performance = recording.narration->log;
        renderLog(recording.performance);
    } else if (live) {
        host.SetPerforming();
        session.Perform();
        // The slot limit ends the loop without ending the session.
        if (session.Active())
            session.Finish();
        checkKept();
        recording.performance = session.performance();
        if (command.audio)
            EndWithSound(recording.performance, files.SoundFilePath());
        // The live show stops (its page's own sounds too) before its pictures are drawn again
        // in a view on the show's clock.
        stage->window->browser().Navigate(QStringLiteral("about:blank"));
        stage->window->hide();
        auto render = MakeStage(command, shows, true);
        session.SetCapture(render->rig->source(), render->rig->clock());
        follow(*render->window);
        OpenShow(*render->window, *render->browser, *render->rig, session, shows, files, deck, terminal);
        renderLog(recording.performance);
        stage.swap(render);
    } else {
        session.Run();
    }
    recording.reachedSlotLimit = session.reachedSlotLimit();
    recording.lastCaption = stage->window->caption().toStdString();
    // The slot limit ends the loop without ending the session.
    if (session.Active())
        session.Finish();
    checkKept();
    recording.frameCount = host.frameCount();
    recording.withSound = command.audio || recording.narration.has_value();
    recording.framePeriodMs = host.FramePeriodMs();
    recording.slides = session.slides();
    if (OutputsNeedNotes(command) && !recording.notesRead)
        recording.notesRead = ReadDeckNotes(shows, deck, recording.text, terminal);
    terminal.Summary("Recorded " + std::to_string(recording.frameCount) + " slots (" +
                     DurationText(SlotsDurationMs(recording.frameCount, recording.framePeriodMs)) + ")");
    return recording;
}
