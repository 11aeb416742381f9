// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The "imageanimate" image control: shows a TGIFImage and plays it while it is visible. The
// frames are drawn off-screen by a painter thread; the widget only paints the latest
// finished picture. It sizes itself to the picture.

#include <QImage>
#include <QWidget>

#include <atomic>
#include <memory>
#include <mutex>

class Picture;
class TGIFImage;
class TGIFPainter;

class GifImageView : public QWidget {
public:
    explicit GifImageView(QWidget* parent = nullptr);
    ~GifImageView() override;

    // Replaces what is shown; playback of the old picture stops first. nullptr empties it.
    void setPicture(std::unique_ptr<TGIFImage> picture);
    TGIFImage* picture() const { return picture_.get(); }

    // The picture last handed over by the painter (or drawn for a single frame).
    QImage shownImage() const;
    // Pictures handed over since the picture was set.
    int framesShown() const { return framesShown_; }
    bool isPlaying() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void startPlayback();
    void stopPlayback();
    // On the painter's thread: keep a copy, then have the widget repainted.
    void receive(const Picture& canvas);

    std::unique_ptr<TGIFImage> picture_;
    std::unique_ptr<TGIFPainter> painter_;
    mutable std::mutex shownLock_;
    QImage shown_;
    std::atomic<int> framesShown_{0};
};
