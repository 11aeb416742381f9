// SPDX-License-Identifier: GPL-3.0-or-later
// The Recorder's side of a recording session: the buttons that start and end it, and what the
// window shows of it. The session itself runs without the window.
#include "ui/recorder_window.h"

#include "core/picture_ops.h"
#include "platform/browser_control.h"

#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

void TForm2::showPreview(const Picture& picture)
{
    const QImage image(picture.bits(), picture.width(), picture.height(), picture.bytesPerLine(), QImage::Format_BGR888);
    Image1->setPixmap(QPixmap::fromImage(image.copy()));
}

void TForm2::button_startClick()
{
    if (SessionActive() || Rendering())
        return;
    button_start->setEnabled(false);
    button_finished->setEnabled(true);
    button_cancel->setEnabled(true);
    if (host_->Narrated()) {
        narrate();
        return;
    }
    if (PerformsLive(*host_)) {
        performLive();
        return;
    }
    phase_ = Phase::Session;
    session_.Run();
}

void TForm2::button_finishedClick()
{
    // A rendering ends when its pictures reach the end of the sound.
    if (Rendering())
        return;
    session_.Finish();
}

void TForm2::button_cancelClick()
{
    session_.Cancel();
}

void TForm2::PreviewReady(Picture& picture)
{
    ScaleBitmapInPlace(picture, Image1->width(), Image1->height());
    showPreview(picture);
}

void TForm2::StatisticsChanged(const SessionStatistics& statistics)
{
    Label1->setText(QStringLiteral("%1 Actions\r\n%2 Frames\r\n%3 Seconds")
                        .arg(statistics.actions)
                        .arg(statistics.frames)
                        .arg(statistics.seconds));
    if (Rendering())
        progressbar_render->setValue(std::min(statistics.frames, progressbar_render->maximum()));
}

void TForm2::SessionEnding(bool)
{
    WebBrowser1()->Navigate(QStringLiteral("about:blank"));
    button_finished->setEnabled(false);
    updateStartRecord();
}

void TForm2::SessionEnded(bool kept)
{
    presenterInput_.Follow(nullptr);
    if (phase_ == Phase::Performing && kept) {
        // Only half of the recording: its pictures are rendered before the Main window hears.
        phase_ = Phase::Rendering;
        if (!loopRunning_)
            QTimer::singleShot(0, this, [this] {
                if (Rendering() && !renderBrowser_)
                    startRendering(session_.performance());
            });
        return;
    }
    if (phase_ == Phase::Performing)
        performingHost_.Hold(false);
    if (phase_ == Phase::Rendering)
        endRendering(); // a Cancel before the rendering's view was ready; otherwise when its loop returns
    else
        phase_ = Phase::Idle;
    // The Main window showed before this one closes: at no moment is the program without a
    // visible window, which would end it.
    closingForSession_ = true;
    close();
    closingForSession_ = false;
}
