// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/gif_image_view.h"

#include "gif/gif_image.h"
#include "gif/gif_painter.h"

#include <QPainter>

GifImageView::GifImageView(QWidget* parent)
    : QWidget(parent)
{
    resize(0, 0);
}

GifImageView::~GifImageView()
{
    stopPlayback();
}

void GifImageView::setPicture(std::unique_ptr<TGIFImage> picture)
{
    stopPlayback();
    picture_ = std::move(picture);
    {
        std::lock_guard guard(shownLock_);
        shown_ = QImage();
    }
    framesShown_ = 0;
    if (!picture_ || picture_->Empty()) {
        resize(0, 0);
        update();
        return;
    }
    resize(picture_->Width(), picture_->Height());
    // The first frame is there at once; a single frame is never drawn again.
    TGIFRenderer renderer(*picture_);
    renderer.DrawFrame(0);
    receive(renderer.Canvas());
    if (isVisible())
        startPlayback();
}

QImage GifImageView::shownImage() const
{
    std::lock_guard guard(shownLock_);
    return shown_;
}

bool GifImageView::isPlaying() const
{
    return painter_ && painter_->Playing();
}

void GifImageView::startPlayback()
{
    if (!picture_ || picture_->Count() < 2 || painter_)
        return;
    painter_ = std::make_unique<TGIFPainter>(*picture_, [this](const Picture& canvas, int) { receive(canvas); });
    painter_->Start();
}

void GifImageView::stopPlayback()
{
    painter_.reset();
}

void GifImageView::receive(const Picture& canvas)
{
    QImage image(canvas.bits(), canvas.width(), canvas.height(), canvas.bytesPerLine(), QImage::Format_ARGB32);
    {
        std::lock_guard guard(shownLock_);
        shown_ = image.copy();
    }
    ++framesShown_;
    // Queued to the widget's thread; dropped if the widget is gone by then.
    QMetaObject::invokeMethod(this, [this] { update(); }, Qt::QueuedConnection);
}

void GifImageView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    std::lock_guard guard(shownLock_);
    if (!shown_.isNull())
        painter.drawImage(0, 0, shown_);
}

void GifImageView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    startPlayback();
}

void GifImageView::hideEvent(QHideEvent* event)
{
    // Nobody sees it: the painter's thread ends until the picture shows again.
    stopPlayback();
    QWidget::hideEvent(event);
}
