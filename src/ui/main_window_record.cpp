// SPDX-License-Identifier: GPL-3.0-or-later
// Main-window handlers of the recording session.
#include "ui/main_window.h"

#include "core/deckrec_error.h"
#include "core/presentation_page.h"
#include "platform/browser_control.h"
#include "ui/dialogs.h"
#include "ui/recorder_window.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>

void TForm1::connectRecordingHandlers()
{
    connect(recordernow, &QPushButton::clicked, this, &TForm1::recordernowClick);
}

int TForm1::LatencyMs() const
{
    // The text as it stands; what is not a number counts as the smallest latency.
    bool ok = false;
    const int value = suiSpinEdit3->text().trimmed().toInt(&ok, 10);
    return ok ? value : 500;
}

bool TForm1::AutoRecord() const
{
    return radiobutton_autorecord->isChecked();
}

bool TForm1::CursorOn() const
{
    return checkbox_cursor->isChecked();
}

bool TForm1::AudioOn() const
{
    return audioenable->isChecked();
}

void TForm1::StartSound(const std::string& path)
{
    StartSoundRecording(QString::fromLocal8Bit(path.c_str()));
}

void TForm1::StopSound()
{
    StopSoundRecording();
}

void TForm1::SetFrameCount(int frameCount)
{
    FrameCount = frameCount;
    // Should the program die now, the mark lets the next start offer these frames back. The
    // frame files beside it tell the slots after its count, so once a second is enough.
    if (frameCount == 1)
        sessionMarkDue_.Reset();
    if (sessionMarkDue_.Due())
        WriteUnfinishedSessionMark(services_.files.WorkingDirectory(), frameCount);
}

void TForm1::SessionEnded(bool kept)
{
    RemoveUnfinishedSessionMark(services_.files.WorkingDirectory());
    sessionMarkDue_.Reset();
    pendingNarration_.reset(); // the slides took it, or the session was cancelled
    narrationJob_.Stop();
    RecordedPeriodMs = FramePeriodMs();
    if (kept)
        suiButton5->setEnabled(true);
    ShowRecordingShape();
    PageControl1->setCurrentIndex(0);
    show();
}

void TForm1::recordernowClick()
{
    if (!Form2 || !OfferShowTimeWhereScreenCannotBeCaptured())
        return;
    // A cancelled narration may still be writing its sound into the working files.
    narrationJob_.Stop();
    narrationJob_.Wait();
    services_.files.ClearWorkingFiles();
    Form2->PrepareSession();
    Form2->WebBrowser1()->Navigate(QStringLiteral("about:blank"));
    Form2->ShowRecorder();
    hide();
    for (int k = 0; k < 4; ++k)
        QCoreApplication::processEvents();
    // The chord goes now and again from Timer1, once the page has had time to load.
    Timer1->start();
    Form2->SendAltO();
    Form2->WebBrowser1()->Navigate(QString::fromLocal8Bit(GeneratedPagePath(services_.files).c_str()));
}

bool TForm1::OfferShowTimeWhereScreenCannotBeCaptured()
{
    // Exact timing records from the browser view itself, which every display allows; the
    // clock of a session is fixed when it is prepared, so the question comes before that.
    if (ShowTime() || Form2->CanCaptureScreen())
        return true;
    const QString question =
        QStringLiteral("This display cannot be captured (%1). Record on the show's own clock instead? (Exact timing)\n\n"
                       "Yes turns Exact timing on and goes on; No goes back.")
            .arg(TForm2::DisplayName());
    if (!services_.dialogs->confirm(this, question, QStringLiteral("Deckrec")))
        return false;
    checkbox_exacttime->setChecked(true);
    return true;
}

void TForm1::Timer1Timer()
{
    Timer1->stop();
    // After a quick Finished or Cancel the chord would go to whatever program has the focus.
    if (Form2 && Form2->isVisible())
        Form2->SendAltO();
}

QWidget* TForm1::DialogParent()
{
    // This window is hidden while the Recorder is up, and the Recorder stays on top: a message
    // parented here would open behind it, and the Recorder would look frozen.
    if (Form2 && Form2->isVisible())
        return Form2;
    return this;
}

void TForm1::OfferUnfinishedSession(const UnfinishedSession& session)
{
    const long long seconds = SlotsDurationMs(session.frameCount) / 1000;
    const QString question =
        QStringLiteral("Deckrec ended while it was recording. The %1 frames recorded until then (%2:%3) "
                       "are still there.\n\nRecover them as the current recording? No deletes them.")
            .arg(session.frameCount)
            .arg(seconds / 60)
            .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    if (!services_.dialogs->confirm(this, question, QStringLiteral("Deckrec"))) {
        DiscardUnfinishedSession(session, services_.files);
        return;
    }
    try {
        AdoptUnfinishedSession(session, services_.files);
    } catch (const DeckrecError& error) {
        // What could not be moved stays where it was, marked: the next start asks again.
        services_.dialogs->message(this,
                                   QStringLiteral("Cannot recover the recording: %1").arg(QString::fromLocal8Bit(error.what())),
                                   QStringLiteral("Deckrec"), DialogService::Icon::Error);
        return;
    }
    FrameCount = session.frameCount;
    RecordedPeriodMs = kDefaultFramePeriodMs;
    SessionEnded(true);
}
