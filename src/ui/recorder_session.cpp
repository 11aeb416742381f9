// The recording session: Start Record's capture loop, Finished and Cancel.
#include "ui/recorder_window.h"

#include "platform/browser_control.h"
#include "record/frame_recorder.h"
#include "core/picture_ops.h"
#include "record/sample_grid.h"

#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

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

QString StatisticsLine(int actions, int frames)
{
    return QStringLiteral("%1 Actions\r\n%2 Frames\r\n%3 Seconds")
        .arg(actions)
        .arg(frames)
        .arg(static_cast<long long>(frames) * TForm2::kFramePeriodMs / 1000);
}

} // namespace

void TForm2::showPreview(const Picture& picture)
{
    const QImage image(picture.bits(), picture.width(), picture.height(), picture.bytesPerLine(), QImage::Format_BGR888);
    Image1->setPixmap(QPixmap::fromImage(image.copy()));
}

void TForm2::button_startClick()
{
    if (SessionActive())
        return;
    const int session = ++sessionsStarted_;
    activeSession_ = session;
    button_start->setEnabled(false);
    button_finished->setEnabled(true);
    button_cancel->setEnabled(true);
    ScreenRect rect = CaptureRect();
    host_->Files().EnsureWorkingDirectory();

    FrameRecorder recorder(*services_.grabber, *services_.cursor, *services_.input, host_->Files());
    // The sample positions are those of the capture size, also after the trim.
    const SampleScale scale = SampleScale::ForCapture(rect);
    rect = TrimBlackBorder(recorder.Grab(rect), rect, scale);

    SoundSession sound(*host_, host_->AudioOn());
    SlotClock& clock = *services_.clock;
    int i = 1;
    int a = 1;
    const uint32_t t0 = clock.TickCount();
    slotLateness_.clear();
    // Finished, Cancel and the end of the show end the session; the loop stops at the top of
    // its next pass.
    const auto running = [this, session] { return activeSession_ == session; };

    while (i < kSlotLimit && running()) {
        host_->SetFrameCount(i);
        const uint32_t due = i == 1 ? 0u : static_cast<uint32_t>(i) * kFramePeriodMs;
        slotLateness_.push_back(static_cast<int>(clock.TickCount() - t0 - due));

        const auto stored = recorder.CaptureSlot(rect, i, host_->CursorOn(), scale);
        clock.SlotTaken(stored == FrameRecorder::SlotResult::Stored);
        // The preview follows every fifth slot only: scaling costs more than the rest.
        if (stored == FrameRecorder::SlotResult::Stored && i % 5 == 1) {
            ScaleBitmapInPlace(recorder.current(), Image1->width(), Image1->height());
            showPreview(recorder.current());
        }
        ++i;
        clock.WaitUntilElapsed(t0, static_cast<uint32_t>(i) * kFramePeriodMs);

        // A session ended during the wait sends no more input: the click would land in
        // whatever is under the hidden recorder.
        if (running() && host_->AutoRecord()) {
            const long long due = static_cast<long long>(host_->LatencyMs()) * a;
            if (static_cast<long long>(clock.TickCount() - t0) >= due) {
                NextAction();
                clock.ActionPerformed();
                ++a;
            }
        }
        Label1->setText(StatisticsLine(a, i));
    }
}

void TForm2::endSession(bool enableSave)
{
    WebBrowser1()->Navigate(QStringLiteral("about:blank"));
    activeSession_ = 0;
    button_finished->setEnabled(false);
    updateStartRecord();
    // The Main window shows before this one closes: at no moment is the program without a
    // visible window, which would end it.
    host_->SessionEnded(enableSave);
    closingForSession_ = true;
    close();
    closingForSession_ = false;
}

void TForm2::button_finishedClick()
{
    endSession(true);
}

void TForm2::button_cancelClick()
{
    endSession(false);
}
