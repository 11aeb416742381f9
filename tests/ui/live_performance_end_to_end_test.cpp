// SPDX-License-Identifier: GPL-3.0-or-later
// Exact timing with sound and the presenter's own clicks: the Recorder plays the show live with
// its sound, logs each click the moment the view gets it, renders the frames of that log on the
// show's clock once Finished is pressed, and the export puts them beside the sound.
#include "recording_end_to_end_fixture.h"

#include "core/picture_ops.h"

#include <QApplication>
#include <QKeyEvent>
#include <QProgressBar>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <map>
#include <numbers>

namespace {

// The first frame of each change of picture in a video: small grey pictures decoded by ffmpeg,
// a change where they differ by more than the encoder's own noise (a tenth of that), after a
// still one. The sample's click animation changes little of the picture.
std::vector<int> PictureChanges(const QString& path)
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
std::map<QString, double> StreamSeconds(const QString& path)
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

} // namespace

// A Custom Record session with sound and Exact timing at rate whose presenter clicks into the
// show three times a second apart (slide 2, its click animation, slide 3), calling atClick at
// each click; Finished, the rendering, and its export as an MP4 in the PCM record format.
class LivePerformance : public RecordingEndToEnd {
protected:
    QString PerformAndExport(const QString& rate, const QString& name, const std::function<void()>& atClick = {})
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
        auto presenter = std::make_shared<XTestInputInjector>();
        QTimer::singleShot(0, form2_->button_start, &QPushButton::click);
        for (int k = 1; k <= 3; ++k)
            QTimer::singleShot(1000 * k, [this, presenter, atClick] {
                presenter->SetCursorPos(form2_->BrowserFrameCentre());
                presenter->LeftButton(true);
                presenter->LeftButton(false);
                if (atClick)
                    atClick();
            });
        if (moreInput_)
            moreInput_();
        QTimer::singleShot(4300, form2_->button_finished, &QPushButton::click);
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
};

TEST_F(LivePerformance, ThePresentersClicksAreRenderedWhereTheyWereLoggedAndTheSoundLastsAsLong)
{
    const QString mp4 = PerformAndExport("30", "performed.mp4");
    if (mp4.isEmpty() || HasFailure())
        return;
    EXPECT_TRUE(rendering_) << "the Recorder shows how far the rendering is";
    EXPECT_FALSE(form2_->progressbar_render->isVisible());

    const PerformanceLog log = form2_->performance();
    ASSERT_EQ(log.actions.size(), 3u);
    for (size_t k = 1; k < 3; ++k)
        EXPECT_NEAR(log.actions[k].ms - log.actions[k - 1].ms, 1000, 300) << "click " << k;
    const double period = form1_->RecordedPeriodMs;
    EXPECT_NEAR(period, 1000.0 / 30, 1e-9);
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

namespace {

// Where the arrow pointer's tip is drawn in picture: its first rows (an edge pixel, then two,
// then an edge, a white pixel and an edge), sought everywhere; (-1, -1) when it is not there.
QPoint ArrowTip(const Picture& picture)
{
    const auto black = [&](int x, int y) {
        const uint8_t* p = picture.scanLine(y) + 3 * x;
        return p[0] < 40 && p[1] < 40 && p[2] < 40;
    };
    const auto white = [&](int x, int y) {
        const uint8_t* p = picture.scanLine(y) + 3 * x;
        return p[0] > 215 && p[1] > 215 && p[2] > 215;
    };
    for (int y = 0; y + 3 < picture.height(); ++y)
        for (int x = 0; x + 3 < picture.width(); ++x)
            if (black(x, y) && !black(x + 1, y) && black(x, y + 1) && black(x + 1, y + 1) && black(x, y + 2) &&
                white(x + 1, y + 2) && black(x + 2, y + 2) && white(x + 1, y + 3) && white(x + 2, y + 3))
                return {x, y};
    return {-1, -1};
}

} // namespace

// Cursor On, a key that takes the show back, and the default ADPCM sound: the log holds the
// key's own step and where the pointer went over the slide; the rendering draws the pointer
// there, and the sound's whole blocks still end within a frame of the video.
TEST_F(LivePerformance, ThePointerIsDrawnWhereTheLogPutsItAndAKeyIsLoggedAsItsOwnStep)
{
    cursorOn_ = true;
    soundQuality_ = QStringLiteral("ADPCM 44100Hz x1");
    moreInput_ = [this] {
        QTimer::singleShot(2500, [this] {
            QWidget* page = form2_->WebBrowser1()->widget()->focusProxy();
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_Left, Qt::NoModifier);
            QApplication::sendEvent(page ? page : form2_->WebBrowser1()->widget(), &press);
            QApplication::sendEvent(page ? page : form2_->WebBrowser1()->widget(), &release);
        });
        // Still a while before Finished, a quarter in from the slide's left and a third down.
        QTimer::singleShot(3500, [this] {
            QWidget* view = form2_->WebBrowser1()->widget();
            XTestInputInjector().SetCursorPos(view->mapToGlobal(QPoint(view->width() / 4, view->height() / 3)));
        });
    };
    const QString mp4 = PerformAndExport("30", "pointed.mp4");
    if (mp4.isEmpty() || HasFailure())
        return;
    const PerformanceLog log = form2_->performance();
    std::vector<std::string> steps;
    for (const PerformedAction& action : log.actions)
        steps.push_back(SlideStepName(action.step));
    EXPECT_EQ(steps, (std::vector<std::string>{"next", "next", "previous", "next"}));
    ASSERT_FALSE(log.pointer.empty());
    const PointerSample last = log.pointer.back();
    ASSERT_TRUE(last.over);
    EXPECT_GT(last.ms, 3000) << "the last move, after the last click";

    const double period = form1_->RecordedPeriodMs;
    const std::vector<int> stored = StoredSlots(files(), form1_->FrameCount);
    ASSERT_FALSE(stored.empty());
    // The picture of a moment: the last frame file stored up to its slot.
    const auto pictureAt = [&](long long ms) {
        const int slot = static_cast<int>(static_cast<double>(ms) / period);
        int shown = stored.front();
        for (const int n : stored)
            if (n <= slot)
                shown = n;
        Picture picture;
        LoadFrame(files(), shown, picture);
        return picture;
    };
    // Left takes back the click animation: the show looks as it did before that click.
    const long long back = log.actions[2].ms;
    EXPECT_TRUE(SameImage(pictureAt(back + 200), pictureAt(log.actions[1].ms - 200)));
    EXPECT_FALSE(SameImage(pictureAt(back + 200), pictureAt(back - 200)));
    Picture frame;
    LoadFrame(files(), stored.back(), frame);
    const QPoint tip = ArrowTip(frame);
    EXPECT_NEAR(tip.x(), last.x * (frame.width() - 1), 4) << "frame " << stored.back();
    EXPECT_NEAR(tip.y(), last.y * (frame.height() - 1), 4) << "frame " << stored.back();
    std::fprintf(stderr, "pointer drawn at (%d, %d), logged at (%.1f, %.1f) of %d x %d\n", tip.x(), tip.y(),
                 last.x * (frame.width() - 1), last.y * (frame.height() - 1), frame.width(), frame.height());

    const std::map<QString, double> seconds = StreamSeconds(mp4);
    ASSERT_EQ(seconds.count("audio"), 1u);
    EXPECT_NEAR(seconds.at("audio"), seconds.at("video"), period / 1000);
}

namespace {

// Where each tone begins in a video's sound, in ms: loud after a third of a second of quiet.
std::vector<double> ToneOnsetsMs(const QString& path)
{
    QProcess decode;
    decode.start("ffmpeg", {"-v", "error", "-i", path, "-map", "0:a", "-f", "s16le", "-ac", "1", "-ar", "44100", "-"});
    if (!decode.waitForFinished(60000))
        return {};
    const QByteArray bytes = decode.readAllStandardOutput();
    const auto* samples = reinterpret_cast<const int16_t*>(bytes.constData());
    std::vector<double> onsets;
    long long quiet = 0;
    for (long long i = 0; i < bytes.size() / 2; ++i) {
        if (std::abs(static_cast<int>(samples[i])) < 4000) {
            ++quiet;
            continue;
        }
        if (quiet > 44100 / 3)
            onsets.push_back(static_cast<double>(i) / 44.1);
        quiet = 0;
    }
    return onsets;
}

// A tenth of a second of a loud 1 kHz tone, 16-bit mono at 44.1 kHz.
QByteArray Tone()
{
    QByteArray tone(4410 * 2, Qt::Uninitialized);
    auto* samples = reinterpret_cast<int16_t*>(tone.data());
    for (int i = 0; i < 4410; ++i)
        samples[i] = static_cast<int16_t>(16000 * std::sin(2 * std::numbers::pi * 1000 * i / 44100.0));
    return tone;
}

} // namespace

// The presenter clicks and a tone sounds at the same instant, into the private sound server
// the session records: in the export, the tone begins where the frames show the click, at the
// slow, the common and the fast frame rate. The offsets are printed for the record.
TEST_F(LivePerformance, ATonePlayedWithEachClickSoundsWhereTheFramesShowIt)
{
    if (QStandardPaths::findExecutable("pacat").isEmpty())
        GTEST_SKIP() << "needs pacat";
    for (const QString rate : {"6.67 (150 ms)", "30", "60"}) {
        // Already running and quiet, so that a tone plays at once rather than after a start.
        QProcess player;
        player.start("pacat", {"--playback", "--raw", "--format=s16le", "--rate=44100", "--channels=1", "--latency-msec=10"});
        ASSERT_TRUE(player.waitForStarted(5000));
        // A fifth of a second of silence first: the stream is connected and playing before the
        // first tone.
        player.write(QByteArray(8820 * 2, '\0'));
        Pause(300);
        const QByteArray tone = Tone();
        const QString mp4 = PerformAndExport(rate, "tone" + rate.left(2).trimmed() + ".mp4", [&player, &tone] {
            player.write(tone);
            player.waitForBytesWritten(100);
        });
        player.closeWriteChannel();
        player.waitForFinished(5000);
        if (mp4.isEmpty() || HasFailure())
            return;
        const double period = form1_->RecordedPeriodMs;
        const PerformanceLog log = form2_->performance();
        const std::vector<int> changes = PictureChanges(mp4);
        const std::vector<double> tones = ToneOnsetsMs(mp4);
        ASSERT_EQ(changes.size(), 3u) << rate.toStdString();
        ASSERT_EQ(tones.size(), 3u) << rate.toStdString();
        ASSERT_EQ(log.actions.size(), 3u) << rate.toStdString();
        QString figures;
        for (size_t k = 0; k < 3; ++k) {
            const double shown = changes[k] * period;
            figures += QStringLiteral(" %1/%2").arg(std::lround(tones[k] - shown)).arg(std::lround(tones[k] - static_cast<double>(log.actions[k].ms)));
            // The tone's own way through the sound server is a few tens of ms.
            EXPECT_NEAR(tones[k], shown, period + 100) << rate.toStdString() << " click " << k;
        }
        std::fprintf(stderr, "%s fps: tone onset minus first frame of the change / minus the logged moment, ms:%s\n",
                     qPrintable(rate), qPrintable(figures));
        RecordProperty(("offsets_" + rate.left(2).trimmed()).toStdString(), figures.toStdString());
    }
}


// Auto Record with sound and Exact timing: the recorder's own clicks are logged as it gives
// them, the end screen ends the performance inside its loop, and the rendering that follows
// stores what the show's clock alone would: slides 1 and 2, the click on slide 2, slides 3 and 4.
TEST_F(LivePerformance, AutoRecordWithSoundPlaysToTheEndScreenAndRendersItsClicks)
{
    form1_->audioenable->setChecked(true);
    form1_->radiobutton_autorecord->setChecked(true);
    form1_->suiSpinEdit3->setValue(1000);
    form1_->checkbox_cursor->setChecked(false);
    form1_->checkbox_exacttime->setChecked(true);
    form1_->framerate->setCurrentIndex(form1_->framerate->findText("30"));
    OpenSample();
    if (HasFatalFailure())
        return;
    QTimer::singleShot(0, form2_->button_start, &QPushButton::click);
    ASSERT_TRUE(WaitFor([&] { return form1_->isVisible() && !form2_->isVisible(); }, 90000));
    ASSERT_TRUE(dialogs_.messages.empty()) << dialogs_.messages.front().text.toStdString();

    const PerformanceLog log = form2_->performance();
    // A click a second, the last one onto the end screen, each on its slot's time.
    ASSERT_EQ(log.actions.size(), 5u);
    const double period = form1_->RecordedPeriodMs;
    for (size_t k = 0; k < log.actions.size(); ++k)
        EXPECT_NEAR(static_cast<double>(log.actions[k].ms), 1000.0 * static_cast<double>(k + 1), period + 1) << "click " << k;
    EXPECT_TRUE(log.ended());
    EXPECT_EQ(StoredSlots(files(), form1_->FrameCount).size(), 5u) << "frames " << form1_->FrameCount;
    EXPECT_GE(SlotsDurationMs(form1_->FrameCount, period), log.endMs);
    EXPECT_GT(QFileInfo(QString::fromStdString(files().SoundFilePath())).size(), 1000);
}

// Cancel while the frames are rendered keeps nothing, and the Recorder is ready for the next
// session with its own view back.
TEST_F(LivePerformance, CancelDuringTheRenderingKeepsNothing)
{
    form1_->audioenable->setChecked(true);
    form1_->suiRadioButton9->setChecked(true);
    form1_->checkbox_exacttime->setChecked(true);
    form1_->framerate->setCurrentIndex(form1_->framerate->findText("60"));
    form1_->suiButton5->setEnabled(false);
    OpenSample();
    if (HasFatalFailure())
        return;
    QTimer::singleShot(0, form2_->button_start, &QPushButton::click);
    QTimer::singleShot(1500, form2_->button_finished, &QPushButton::click);
    bool cancelled = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!cancelled && form2_->Rendering() && form2_->progressbar_render->value() > 10) {
            cancelled = true;
            form2_->button_cancel->click();
        }
    });
    watch.start(5);
    ASSERT_TRUE(WaitFor([&] { return form1_->isVisible() && !form2_->isVisible(); }, 60000));
    watch.stop();
    EXPECT_TRUE(cancelled);
    EXPECT_FALSE(form2_->Rendering());
    EXPECT_FALSE(form1_->suiButton5->isEnabled()) << "nothing to export";

    OpenSample();
    EXPECT_TRUE(form2_->WebBrowser1()->widget()->isVisible());
    form2_->button_cancel->click();
    EXPECT_TRUE(WaitFor([&] { return form1_->isVisible() && !form2_->isVisible(); }, 10000));
}
