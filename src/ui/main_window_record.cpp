// Main-window handlers of the recording session.
#include "ui/main_window.h"

#include "core/presentation_page.h"
#include "platform/browser_control.h"
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

void TForm1::SessionEnded(bool kept)
{
    if (kept)
        suiButton5->setEnabled(true);
    ShowRecordingShape();
    PageControl1->setCurrentIndex(0);
    show();
}

void TForm1::recordernowClick()
{
    if (!Form2)
        return;
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
