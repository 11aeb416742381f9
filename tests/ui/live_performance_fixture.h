// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A live performance through the real windows, shared by the cases under X and under Wayland:
// a Custom Record session with sound and Exact timing whose presenter clicks into the show at
// given moments, its rendering, its export as an MP4, and what the export shows of the clicks.
#include "recording_end_to_end_fixture.h"

#include <QProgressBar>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>

// The first frame of each change of picture in a video: small grey pictures decoded by ffmpeg,
// a change where they differ by more than the encoder's own noise (a tenth of that), after a
// still one. The sample's click animation changes little of the picture.
inline std::vector<int> PictureChanges(const QString& path)
{
    constexpr int kPixels = 64 * 48;
    QProcess decode;
    decode.start("ffmpeg", {"-v", "error", "-i", path, "-map", "0:v", "-vf", "scale=64:48,format=gray", "-f", "rawvideo", "-"});
    if (!decode.waitForFinished(60000))
        return {};
    const QByteArray bytes = decode.readAllStandardOutput();
    std::vector<int> changes;
    bool still = true;
    for (int k = 1; (k + 1) * kPixels <= bytes.size(); ++k) {
        long long sum = 0;
        for (int p = 0; p < kPixels; ++p)
            sum += std::abs(static_cast<unsigned char>(bytes[k * kPixels + p]) - static_cast<unsigned char>(bytes[(k - 1) * kPixels + p]));
        const bool changed = static_cast<double>(sum) / kPixels > 0.4;
        if (changed && still)
            changes.push_back(k);
        still = !changed;
    }
    return changes;
}

// Each stream's length in seconds by its type, as ffprobe reads it.
inline std::map<QString, double> StreamSeconds(const QString& path)
{
    QProcess probe;
    probe.start("ffprobe", {"-v", "error", "-show_entries", "stream=codec_type,duration", "-of", "csv=p=0", path});
    std::map<QString, double> seconds;
    if (!probe.waitForFinished(60000))
        return seconds;
    for (const QString& line : QString::fromUtf8(probe.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(',');
        if (fields.size() == 2)
            seconds[fields[0]] = fields[1].toDouble();
    }
    return seconds;
}

class LivePerformance : public RecordingEndToEnd {
protected:
    // The sample's three clicks (slide 2, its click animation, slide 3), in ms after Start Record.
    static std::vector<int> EverySecond() { return {1000, 2000, 3000}; }

    // The presenter's hand: synthetic input the display delivers to the show's view.
    virtual std::shared_ptr<InputInjector> Presenter() { return std::make_shared<XTestInputInjector>(); }

    // A Custom Record session with sound and Exact timing at rate whose presenter clicks into
    // the show at clickMs, calling atClick at each click; Finished 1.3 s after the last click,
    // the rendering, and its export as an MP4 in the PCM record format. The path of the MP4, or
    // empty after a failure.
    QString PerformAndExport(const QString& rate, const QString& name, const std::function<void()>& atClick = {},
                             const std::vector<int>& clickMs = EverySecond())
    {
        form1_->audioenable->setChecked(true);
        form1_->suiRadioButton9->setChecked(true);
        form1_->checkbox_cursor->setChecked(cursorOn_);
        EXPECT_TRUE(form1_->checkbox_exacttime->isEnabled());
        form1_->checkbox_exacttime->setChecked(true);
        form1_->framerate->setCurrentIndex(form1_->framerate->findText(rate));
        // PCM: an ADPCM recording ends on the nearest whole block of its own, up to half a
        // block (46 ms at 44100 Hz) short of the performance.
        form1_->SoundQuality->setCurrentIndex(form1_->SoundQuality->findText(soundQuality_));
        OpenSample();
        if (HasFatalFailure())
            return {};

        // Start Record's loop runs inside the click, so the rest comes from timers.
        std::shared_ptr<InputInjector> presenter = Presenter();
        QTimer::singleShot(0, form2_->button_start, &QPushButton::click);
        clicksGivenMs_.clear();
        sinceStart_.start();
        for (const int ms : clickMs)
            QTimer::singleShot(ms, [this, presenter, atClick] {
                clicksGivenMs_.push_back(sinceStart_.elapsed());
                presenter->SetCursorPos(form2_->BrowserFrameCentre());
                presenter->LeftButton(true);
                presenter->LeftButton(false);
                if (atClick)
                    atClick();
            });
        if (moreInput_)
            moreInput_();
        QTimer::singleShot(clickMs.back() + 1300, form2_->button_finished, [this] {
            finishedGivenMs_ = sinceStart_.elapsed();
            form2_->button_finished->click();
        });
        rendering_ = false;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] { rendering_ |= form2_->progressbar_render->isVisible(); });
        watch.start(20);
        const bool ended = WaitFor([&] { return form1_->isVisible() && !form2_->isVisible(); }, 90000);
        watch.stop();
        EXPECT_TRUE(ended) << "the session ends with its rendering";
        EXPECT_TRUE(dialogs_.messages.empty()) << dialogs_.messages.front().text.toStdString();
        if (!ended || !dialogs_.messages.empty())
            return {};
        return ExportMp4(name);
    }

    // The recording exported as an MP4 named name in the test's folder: its path.
    QString ExportMp4(const QString& name)
    {
        EXPECT_TRUE(WaitFor([&] { return form1_->ComboBox2->count() > 1; }, 10000)) << "encoder list";
        form1_->videoformat->setCurrentIndex(form1_->videoformat->findText("MP4"));
        form1_->videoformatChange();
        // The folder outlives the case: a file of an earlier run would stay and be read back.
        const QString mp4 = folder_.filePath(name);
        QFile::remove(mp4);
        dialogs_.fileNames.push_back(mp4);
        form1_->suiButton5->click();
        EXPECT_TRUE(dialogs_.messages.empty()) << dialogs_.messages.front().text.toStdString();
        return mp4;
    }

    // The log holds one click per click given, as far apart as they were given (a busy
    // machine fires the test's timers late, never the log), and its end where Finished was;
    // the MP4 changes picture in the frame whose stretch holds each logged click, and its
    // sound lasts as long as its pictures.
    void ExpectClicksShownWhereLogged(const QString& mp4)
    {
        const PerformanceLog log = form2_->performance();
        ASSERT_EQ(log.actions.size(), clicksGivenMs_.size());
        QString figures;
        for (size_t k = 1; k < clicksGivenMs_.size(); ++k) {
            const long long given = clicksGivenMs_[k] - clicksGivenMs_[k - 1];
            figures += QStringLiteral(" %1/%2").arg(log.actions[k].ms - log.actions[k - 1].ms).arg(given);
            EXPECT_NEAR(log.actions[k].ms - log.actions[k - 1].ms, given, 300) << "click " << k;
        }
        const double period = form1_->RecordedPeriodMs;
        // The performance ends where Finished was given, however far a busy machine held the
        // loop up.
        const long long finishedMs = log.actions[0].ms + finishedGivenMs_ - clicksGivenMs_[0];
        EXPECT_NEAR(log.endMs, finishedMs, period + 100);
        std::fprintf(stderr, "ms between clicks, logged/given:%s; end %lld, Finished given at %lld\n", qPrintable(figures),
                     log.endMs, finishedMs);
        EXPECT_GE(SlotsDurationMs(form1_->FrameCount, period), log.endMs);

        // A frame shows the show at the end of its stretch of sound: a click logged at m first
        // shows in the frame whose stretch holds m.
        const std::vector<int> changes = PictureChanges(mp4);
        ASSERT_EQ(changes.size(), log.actions.size());
        for (size_t k = 0; k < changes.size(); ++k)
            EXPECT_NEAR(changes[k] * period, static_cast<double>(log.actions[k].ms), period + 1)
                << "change " << k << " at frame " << changes[k];
        const std::map<QString, double> seconds = StreamSeconds(mp4);
        ASSERT_EQ(seconds.count("video"), 1u);
        ASSERT_EQ(seconds.count("audio"), 1u);
        EXPECT_NEAR(seconds.at("audio"), seconds.at("video"), period / 1000);
    }

    void TearDown() override
    {
        form1_->checkbox_exacttime->setChecked(false);
        form1_->radiobutton_autorecord->setChecked(true);
        form1_->SoundQuality->setCurrentIndex(form1_->SoundQuality->findText("ADPCM 44100Hz x1"));
        RecordingEndToEnd::TearDown();
    }

    bool rendering_ = false;
    bool cursorOn_ = false;
    QString soundQuality_ = QStringLiteral("PCM 44100Hz x2");
    std::function<void()> moreInput_; // timers of the presenter's other input, set at the start
    // When each click was given, in ms after Start Record was.
    std::vector<long long> clicksGivenMs_;
    long long finishedGivenMs_ = 0;
    QElapsedTimer sinceStart_;
};
