// SPDX-License-Identifier: GPL-3.0-or-later
// A narrated recording through the real windows: takes of known lengths in the sample deck's
// narration folder set its slides' times, and their track is the exported video's sound.
#include "live_performance_fixture.h"

#include "audio/sound_clip.h"
#include "core/narration_takes.h"

#include <cmath>

using NarratedRecording = LivePerformance;

TEST_F(NarratedRecording, TakesSetTheSlidesTimesAndTheirTrackIsTheVideosSound)
{
    const std::vector<long long> takesMs = {1200, 2000, 900};
    const QString folder = QString::fromStdString(NarrationFolderFor(DECKREC_SAMPLE_PRESENTATION));
    // The sample is shared with the other cases: its takes go with this one.
    struct Takes {
        QString folder;
        ~Takes() { QDir(folder).removeRecursively(); }
    } takes{folder};
    QDir(folder).removeRecursively();
    ASSERT_TRUE(QDir().mkpath(folder));
    for (size_t k = 0; k < takesMs.size(); ++k) {
        SoundClip tone{std::vector<int16_t>(static_cast<size_t>(takesMs[k] * 48)), 48000};
        for (size_t i = 0; i < tone.samples.size(); ++i)
            tone.samples[i] = static_cast<int16_t>(8000 * std::sin(static_cast<double>(i) * 2 * M_PI * 440 / 48000));
        WriteSoundTrack(folder.toStdString() + "/" + TakeFileName(static_cast<int>(k) + 1), {{&tone, 0}}, takesMs[k]);
    }
    form1_->audioenable->setChecked(false); // the narration brings the sound
    form1_->checkbox_exacttime->setChecked(true);
    OpenSample();
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

    const std::map<QString, double> seconds = StreamSeconds(ExportMp4("narrated.mp4"));
    ASSERT_EQ(seconds.count("video"), 1u);
    ASSERT_EQ(seconds.count("audio"), 1u);
    EXPECT_NEAR(seconds.at("audio"), seconds.at("video"), period / 1000);
    EXPECT_NEAR(seconds.at("audio") * 1000, endMs, period);
}
