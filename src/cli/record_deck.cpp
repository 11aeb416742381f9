#include "cli/record_deck.h"

#include "cli/cli_recorder_host.h"
#include "cli/interruption.h"
#include "cli/output_writer.h"
#include "cli/terminal.h"
#include "core/deckrec_error.h"
#include "core/presentation_page.h"
#include "platform/browser_control.h"
#include "platform/webengine/presentation_converter.h"
#include "record/fast_forward_clock.h"
#include "ui/real_services.h"
#include "ui/recorder_window.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

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

} // namespace

DeckRecording RecordDeck(const CommandLine& command, const std::string& deck, const WorkingFiles& files,
                         const std::string& converterFolder, SoundInputService* soundInput, Terminal& terminal)
{
    PresentationConverter shows(QString::fromStdString(converterFolder));
    shows.Prepare(QString::fromStdString(deck));

    RecorderServices services = RealRecorderServices(files, &shows);
    // The real clock stays alive beside the fast one that reads it.
    std::unique_ptr<SlotClock> realClock;
    if (command.fast) {
        realClock = std::move(services.clock);
        services.clock = std::make_unique<FastForwardSlotClock>(*realClock);
    }
    CliRecorderHost host(command, files, soundInput, terminal);
    TForm2 recorder(&host, std::move(services));
    host.setTitleSource([&recorder] { return recorder.title_caption->text().trimmed().toStdString(); });
    host.setSoundFailureHandler([&recorder] {
        QTimer::singleShot(0, &recorder, [&recorder] {
            if (recorder.SessionActive())
                recorder.button_cancelClick();
        });
    });

    files.EnsureWorkingDirectory();
    WriteGeneratedPage(files, deck);
    recorder.PrepareSession();
    recorder.WebBrowser1()->Navigate(QStringLiteral("about:blank"));
    recorder.ShowRecorder();
    for (int k = 0; k < 4; ++k)
        QCoreApplication::processEvents();
    // As Record Now does: the chord now and again once the page has had time to load.
    recorder.SendAltO();
    QTimer::singleShot(500, &recorder, [&recorder] {
        if (recorder.isVisible() && !recorder.SessionActive())
            recorder.SendAltO();
    });
    recorder.WebBrowser1()->Navigate(QString::fromStdString(GeneratedPagePath(files)));

    terminal.Status("Opening " + deck);
    // The show's first slide (or the page that says why there is none), not just any loaded
    // page: a late report of about:blank or of the generated page itself also enables Start.
    const bool ready = WaitFor(
        [&recorder] {
            const PageState state = recorder.WebBrowser1()->State();
            return recorder.button_start->isEnabled() && (state == PageState::Slide || state == PageState::CannotShow);
        },
        kShowReadyTimeoutMs);
    if (Interrupted())
        throw InterruptedError();
    if (!ready)
        throw DeckrecError("cannot show " + deck + ": the slide show did not start within " +
                           std::to_string(kShowReadyTimeoutMs / 1000) + " seconds");
    if (recorder.WebBrowser1()->State() == PageState::CannotShow)
        throw DeckrecError("cannot show " + deck + ": " + shows.WhyCannotShow(QString::fromStdString(deck)).toStdString());

    OnInterruption(&recorder, [&recorder] {
        if (recorder.SessionActive())
            recorder.button_cancelClick();
    });
    recorder.button_startClick();
    // The slot limit ends the loop without ending the session.
    if (recorder.SessionActive())
        recorder.button_finishedClick();
    if (Interrupted())
        throw InterruptedError();
    if (!host.soundError().empty())
        throw DeckrecError("cannot record sound: " + host.soundError());
    if (!host.kept())
        throw DeckrecError("the recording was cancelled");
    terminal.Summary("Recorded " + std::to_string(host.frameCount()) + " slots (" +
                     DurationText(static_cast<long long>(host.frameCount()) * 150) + ")");
    return {host.frameCount(), command.audio};
}
