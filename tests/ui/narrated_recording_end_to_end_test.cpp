// SPDX-License-Identifier: GPL-3.0-or-later
// A narrated recording through the real windows: takes of known lengths in the sample deck's
// narration folder set its slides' times, and their track is the exported video's sound.
#include "live_performance_fixture.h"

#include "audio/sound_clip.h"
#include "core/narration_takes.h"

#include <cmath>

class NarratedRecording : public LivePerformance {
protected:
    // A tone of each length as the sample's takes, slide 1 first; the sample opened with them.
    void OpenWithTakes(const std::vector<long long>& takesMs)
    {
        QDir(folder_).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(folder_));
        for (size_t k = 0; k < takesMs.size(); ++k) {
            SoundClip tone{std::vector<int16_t>(static_cast<size_t>(takesMs[k] * 48)), 48000};
            for (size_t i = 0; i < tone.samples.size(); ++i)
                tone.samples[i] = static_cast<int16_t>(8000 * std::sin(static_cast<double>(i) * 2 * M_PI * 440 / 48000));
            WriteSoundTrack(folder_.toStdString() + "/" + TakeFileName(static_cast<int>(k) + 1), {{&tone, 0}},
                            takesMs[k]);
        }
        form1_->audioenable->setChecked(false); // the narration brings the sound
        form1_->checkbox_exacttime->setChecked(true);
        OpenSample();
    }

    // The sample is shared with the other cases: its takes go with this one.
    void TearDown() override
    {
        QDir(folder_).removeRecursively();
        LivePerformance::TearDown();
    }

    const QString folder_ = QString::fromStdString(NarrationFolderFor(DECKREC_SAMPLE_PRESENTATION));
};

TEST_F(NarratedRecording, TakesSetTheSlidesTimesAndTheirTrackIsTheVideosSound)
{
    const std::vector<long long> takesMs = {1200, 2000, 900};
    OpenWithTakes(takesMs);
    ASSERT_FALSE(HasFatalFailure());

    QTimer::singleShot(0, form2_->button_start, &QPushButton::click);
    ASSERT_TRUE(WaitFor([&] { return form1_->isVisible() && !form2_->isVisible(); }, 90000))
        << "the narration is rendered to its end";
    ASSERT_TRUE(dialogs_.messages.empty()) << dialogs_.messages.front().text.toStdString();
    ASSERT_TRUE(form1_->RecordedNarration.has_value());

    // Each slide lasts its take and the pause after it, within the frame the slide starts in;
    // the show's end screen follows the last.
    const double period = form1_->RecordedPeriodMs;
    const std::vector<SlideMark>& slides = form1_->RecordedSlides;
    for (const SlideMark& mark : slides)
        std::fprintf(stderr, "slide %d at slot %d\n", mark.slide, mark.slot);
    ASSERT_EQ(slides.size(), takesMs.size() + 1);
    for (size_t k = 0; k < takesMs.size(); ++k)
        EXPECT_NEAR((slides[k + 1].slot - slides[k].slot) * period, takesMs[k] + kDefaultNarrationGapMs, period)
            << "slide " << k + 1;
    const long long endMs = form1_->RecordedNarration->log.endMs;
    EXPECT_NEAR(SlotsDurationMs(form1_->FrameCount, period), endMs, period);
    std::fprintf(stderr, "%d frames of %.1f ms, narration %lld ms\n", form1_->FrameCount, period, endMs);

    const QString mp4 = ExportMp4("narrated.mp4");
    const std::map<QString, double> seconds = StreamSeconds(mp4);
    ASSERT_EQ(seconds.count("video"), 1u);
    ASSERT_EQ(seconds.count("audio"), 1u);
    EXPECT_NEAR(seconds.at("audio"), seconds.at("video"), period / 1000);
    EXPECT_NEAR(seconds.at("audio") * 1000, endMs, period);

    // The chapters are the narration's: each starts where its slide's narration does.
    QProcess probe;
    probe.start("ffprobe", {"-v", "error", "-show_entries", "chapter=start_time", "-of", "csv=p=0", mp4});
    ASSERT_TRUE(probe.waitForFinished(60000));
    const QStringList starts = QString::fromUtf8(probe.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    const std::vector<TimedText>& chapters = form1_->RecordedNarration->chapters;
    ASSERT_GE(chapters.size(), takesMs.size());
    ASSERT_EQ(static_cast<size_t>(starts.size()), chapters.size());
    for (size_t k = 0; k < chapters.size(); ++k)
        EXPECT_NEAR(starts[static_cast<int>(k)].toDouble() * 1000, chapters[k].startMs, 1) << "chapter " << k + 1;
}

// Cancel while the narration is made keeps nothing, and the Recorder is ready for the next
// session.
TEST_F(NarratedRecording, CancelWhileTheNarrationIsMadeKeepsNothing)
{
    form1_->suiButton5->setEnabled(false);
    OpenWithTakes({1000, 1000, 1000});
    ASSERT_FALSE(HasFatalFailure());
    QTimer::singleShot(0, form2_->button_start, [this] {
        form2_->button_start->click();
        form2_->button_cancel->click();
    });
    ASSERT_TRUE(WaitFor([&] { return form1_->isVisible() && !form2_->isVisible(); }, 60000));
    Pause(3000); // the narration's late answer goes unused
    EXPECT_FALSE(form2_->Rendering());
    EXPECT_FALSE(form1_->suiButton5->isEnabled()) << "nothing to export";
    EXPECT_TRUE(form1_->isVisible());

    OpenSample();
    EXPECT_TRUE(form2_->button_start->isEnabled());
    form2_->button_cancel->click();
    EXPECT_TRUE(WaitFor([&] { return form1_->isVisible() && !form2_->isVisible(); }, 10000));
}
