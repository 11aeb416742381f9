// The recording session: Start Record's capture loop, Finished and Cancel.
#include "record/recorder_window.h"

#include "app/main_window.h"
#include "app/working_files.h"
#include "platform/browser_control.h"
#include "record/frame_recorder.h"
#include "record/picture_ops.h"
#include "record/sample_grid.h"

#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>

namespace {

// Stops the sound recording however the loop ends, an error from the frame store included.
class SoundSession {
public:
    SoundSession(TForm1* form, bool enabled)
        : form_(form)
        , enabled_(enabled)
    {
        if (enabled_)
            form_->StartSoundRecording(QString::fromLocal8Bit(SoundFilePath().c_str()));
    }
    ~SoundSession()
    {
        if (enabled_)
            form_->StopSoundRecording();
    }
    SoundSession(const SoundSession&) = delete;
    SoundSession& operator=(const SoundSession&) = delete;

private:
    TForm1* form_;
    bool enabled_;
};

QString StatisticsLine(int actions, int frames)
{
    return QStringLiteral("%1 Actions\r\n%2 Frames\r\n%3 Seconds")
        .arg(actions)
        .arg(frames)
        .arg(static_cast<long long>(frames) * TForm2::kFramePeriodMs / 1000);
}

} // namespace

int TForm2::latencyMs() const
{
    // The text as it stands; what is not a number counts as the smallest latency.
    bool ok = false;
    const int value = Form1->suiSpinEdit3->text().trimmed().toInt(&ok, 10);
    return ok ? value : 500;
}

void TForm2::showPreview(const Picture& picture)
{
    const QImage image(picture.bits(), picture.width(), picture.height(), picture.bytesPerLine(), QImage::Format_BGR888);
    Image1->setPixmap(QPixmap::fromImage(image.copy()));
}

void TForm2::button_startClick()
{
    button_start->setEnabled(false);
    button_finished->setEnabled(true);
    button_cancel->setEnabled(true);
    ScreenRect rect = CaptureRect();
    EnsureWorkingDirectory();

    FrameRecorder recorder(*services_.grabber, *services_.cursor, *services_.input);
    rect = TrimBlackBorder(recorder.Grab(rect), rect);

    SoundSession sound(Form1, Form1->audioenable->isChecked());
    SlotClock& clock = *services_.clock;
    int i = 1;
    int a = 1;
    const uint32_t t0 = clock.TickCount();
    slotLateness_.clear();

    // Finished, Cancel and the end of the show stop the loop by enabling Start Record again.
    while (i < kSlotLimit && !button_start->isEnabled()) {
        Form1->FrameCount = i;
        const uint32_t due = i == 1 ? 0u : static_cast<uint32_t>(i) * kFramePeriodMs;
        slotLateness_.push_back(static_cast<int>(clock.TickCount() - t0 - due));

        const auto stored = recorder.CaptureSlot(rect, i, Form1->checkbox_cursor->isChecked());
        // The preview follows every fifth slot only: scaling costs more than the rest.
        if (stored == FrameRecorder::SlotResult::Stored && i % 5 == 1) {
            ScaleBitmapInPlace(recorder.current(), Image1->width(), Image1->height());
            showPreview(recorder.current());
        }
        ++i;
        clock.WaitUntilElapsed(t0, static_cast<uint32_t>(i) * kFramePeriodMs);

        if (Form1->radiobutton_autorecord->isChecked()) {
            const long long due = static_cast<long long>(latencyMs()) * a;
            if (static_cast<long long>(clock.TickCount() - t0) >= due) {
                NextAction();
                ++a;
            }
        }
        Label1->setText(StatisticsLine(a, i));
    }
}

void TForm2::endSession(bool enableSave)
{
    WebBrowser1()->Navigate(QStringLiteral("about:blank"));
    button_start->setEnabled(true);
    button_finished->setEnabled(false);
    if (enableSave)
        if (auto* saveAvi = Form1->findChild<QPushButton*>(QStringLiteral("suiButton5")))
            saveAvi->setEnabled(true);
    Form1->PageControl1->setCurrentIndex(0);
    Form1->show();
    close();
}

void TForm2::button_finishedClick()
{
    endSession(true);
}

void TForm2::button_cancelClick()
{
    endSession(false);
}
