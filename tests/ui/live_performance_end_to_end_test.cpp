// SPDX-License-Identifier: GPL-3.0-or-later
// Exact timing with sound and the presenter's own clicks: the Recorder plays the show live with
// its sound, logs each click the moment the view gets it, renders the frames of that log on the
// show's clock once Finished is pressed, and the export puts them beside the sound.
#include "recording_end_to_end_fixture.h"

#include <QProgressBar>
#include <cstdlib>
#include <map>

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

TEST_F(RecordingEndToEnd, ExactTimingWithSoundRendersThePresentersClicksWhereTheyWereLogged)
{
    form1_->audioenable->setChecked(true);
    form1_->suiRadioButton9->setChecked(true);
    form1_->checkbox_cursor->setChecked(false);
    ASSERT_TRUE(form1_->checkbox_exacttime->isEnabled());
    form1_->checkbox_exacttime->setChecked(true);
    form1_->framerate->setCurrentIndex(form1_->framerate->findText("30"));
    // PCM: an ADPCM recording ends on the nearest whole block of its own, up to half a block
    // (some 12 to 23 ms) short of the performance.
    form1_->SoundQuality->setCurrentIndex(form1_->SoundQuality->findText("PCM 44100Hz x2"));
    OpenSample();
    if (HasFatalFailure())
        return;

    // The presenter clicks into the show a second apart: slide 2, its click animation, slide
    // 3. Start Record's loop runs inside the click, so the rest comes from timers.
    auto presenter = std::make_shared<XTestInputInjector>();
    QTimer::singleShot(0, form2_->button_start, &QPushButton::click);
    for (int k = 1; k <= 3; ++k)
        QTimer::singleShot(1000 * k, [this, presenter] {
            const QPoint centre = form2_->BrowserFrameCentre();
            presenter->SetCursorPos(centre);
            presenter->LeftButton(true);
            presenter->LeftButton(false);
        });
    QTimer::singleShot(4300, form2_->button_finished, &QPushButton::click);
    bool rendering = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] { rendering |= form2_->progressbar_render->isVisible(); });
    watch.start(20);
    ASSERT_TRUE(WaitFor([&] { return form1_->isVisible() && !form2_->isVisible(); }, 90000));
    watch.stop();
    EXPECT_TRUE(rendering) << "the Recorder shows how far the rendering is";
    EXPECT_FALSE(form2_->progressbar_render->isVisible());
    ASSERT_TRUE(dialogs_.messages.empty()) << dialogs_.messages.front().text.toStdString();

    const PerformanceLog log = form2_->performance();
    ASSERT_EQ(log.actions.size(), 3u);
    for (size_t k = 1; k < 3; ++k)
        EXPECT_NEAR(log.actions[k].ms - log.actions[k - 1].ms, 1000, 300) << "click " << k;
    const double period = form1_->RecordedPeriodMs;
    EXPECT_NEAR(period, 1000.0 / 30, 1e-9);
    EXPECT_GE(SlotsDurationMs(form1_->FrameCount, period), log.endMs);

    ASSERT_TRUE(WaitFor([&] { return form1_->ComboBox2->count() > 1; }, 10000)) << "encoder list";
    form1_->videoformat->setCurrentIndex(form1_->videoformat->findText("MP4"));
    form1_->videoformatChange();
    const QString mp4 = folder_.filePath("performed.mp4");
    dialogs_.fileNames.push_back(mp4);
    form1_->suiButton5->click();
    ASSERT_TRUE(dialogs_.messages.empty()) << dialogs_.messages.front().text.toStdString();

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
    form1_->checkbox_exacttime->setChecked(false);
    form1_->radiobutton_autorecord->setChecked(true);
    form1_->SoundQuality->setCurrentIndex(form1_->SoundQuality->findText("ADPCM 44100Hz x1"));
}
