// SPDX-License-Identifier: GPL-3.0-or-later
// The Recorder's side of a recording session: the buttons that start and end it, and what the
// window shows of it. The session itself runs without the window.
#include "ui/recorder_window.h"

#include "core/picture_ops.h"
#include "platform/browser_control.h"

#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

void TForm2::showPreview(const Picture& picture)
{
    const QImage image(picture.bits(), picture.width(), picture.height(), picture.bytesPerLine(), QImage::Format_BGR888);
    Image1->setPixmap(QPixmap::fromImage(image.copy()));
}

void TForm2::button_startClick()
{
    if (SessionActive())
        return;
    button_start->setEnabled(false);
    button_finished->setEnabled(true);
    button_cancel->setEnabled(true);
    session_.Run();
}

void TForm2::button_finishedClick()
{
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
}

void TForm2::SessionEnding(bool)
{
    WebBrowser1()->Navigate(QStringLiteral("about:blank"));
    button_finished->setEnabled(false);
    updateStartRecord();
}

void TForm2::SessionEnded(bool)
{
    // The Main window showed before this one closes: at no moment is the program without a
    // visible window, which would end it.
    closingForSession_ = true;
    close();
    closingForSession_ = false;
}
