// SPDX-License-Identifier: GPL-3.0-or-later
// A narrated recording through the real windows, on the narrated test deck: recorded takes
// where the deck has them, the notes read aloud by the chosen voice elsewhere; the slides'
// times, the exported sound, chapters and captions follow that narration.
#include "live_performance_fixture.h"

#include "audio/sound_clip.h"
#include "core/narration_takes.h"
#include "ui/narration_dialog.h"

#include <QDoubleSpinBox>
#include <QLineEdit>
#include <cmath>

class NarratedRecording : public LivePerformance {
protected:
    void SetUp() override
    {
        LivePerformance::SetUp();
        deck_ = folder_.filePath("narrated.fodp");
        QFile::remove(deck_);
        ASSERT_TRUE(QFile::copy(DECKREC_TEST_DECKS "/narrated.fodp", deck_));
        QDir(takes()).removeRecursively();
        form1_->audioenable->setChecked(false); // the narration brings the sound
        form1_->checkbox_exacttime->setChecked(true);
        form1_->dialog_narration->checkbox_narrate->setChecked(true);
    }

    QString takes() const { return QString::fromStdString(NarrationFolderFor(deck_.toStdString())); }

    // 440 Hz tones of the given lengths as the takes of the given slides.
    void WriteTakes(const std::map<int, long long>& takesMs)
    {
        ASSERT_TRUE(QDir().mkpath(takes()));
        for (const auto& [slide, ms] : takesMs) {
            SoundClip tone{std::vector<int16_t>(static_cast<size_t>(ms * 48)), 48000};
            for (size_t i = 0; i < tone.samples.size(); ++i)
                tone.samples[i] = static_cast<int16_t>(8000 * std::sin(static_cast<double>(i) * 2 * M_PI * 440 / 48000));
            WriteSoundTrack(takes().toStdString() + "/" + TakeFileName(slide), {{&tone, 0}}, ms);
        }
    }

    // Start Record on the deck, and wait for the Main window.
    void Record()
    {
        Open(deck_, "1,Welcome");
        if (HasFatalFailure())
            return;
        QTimer::singleShot(0, form2_->button_start, &QPushButton::click);
        EXPECT_TRUE(WaitFor([&] { return form1_->isVisible() && !form2_->isVisible(); }, 110000));
    }

    QString deck_;
};

// Takes on slides 1 and 3 (which has no notes), the other slides' notes read in the chosen
// voice while the windows go on answering; a file in the takes folder that is no take is left
// out with a warning to the user.
TEST_F(NarratedRecording, TakesAndTheVoiceSetTheSlidesTimesSoundChaptersAndCaptions)
{
    WriteTakes({{1, 1200}, {3, 900}});
    QFile stray(takes() + "/script.txt");
    ASSERT_TRUE(stray.open(QIODevice::WriteOnly));
    stray.close();
    form1_->dialog_narration->spinbox_narration_gap->setValue(0.5);
    form1_->dialog_narration->combobox_narration_voice->setCurrentText("cmu_us_slt");
    // The windows' clock ticks while the voice reads, and the Recorder counts the slides.
    int ticksWhileRead = 0;
    int slidesCounted = 0;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        const QProgressBar* bar = form2_->progressbar_render;
        if (!bar->isVisible() || !bar->format().startsWith("Narration"))
            return;
        ++ticksWhileRead;
        slidesCounted = std::max(slidesCounted, bar->maximum() == 5 ? bar->value() : 0);
    });
    watch.start(20);
    Record();
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_EQ(dialogs_.messages[0].icon, DialogService::Icon::Warning);
    EXPECT_TRUE(dialogs_.messages[0].text.contains("script.txt")) << dialogs_.messages[0].text.toStdString();
    dialogs_.messages.clear();
    ASSERT_TRUE(form1_->RecordedNarration.has_value());
    EXPECT_GE(slidesCounted, 3) << "the narration's slides are counted as they are read";
    EXPECT_GE(ticksWhileRead, 3) << "the windows answered while the notes were read";

    // Each slide comes where the plan puts it, within the frame it starts in; a take's slide
    // lasts the take and the pause set after it.
    const NarrationPlan& plan = *form1_->RecordedNarration;
    const double period = form1_->RecordedPeriodMs;
    const std::vector<SlideMark>& slides = form1_->RecordedSlides;
    ASSERT_GE(slides.size(), plan.slideStartMs.size());
    for (size_t k = 1; k < plan.slideStartMs.size(); ++k)
        EXPECT_NEAR(slides[k].slot * period, plan.slideStartMs[k], period) << "slide " << k + 1;
    EXPECT_EQ(plan.slideStartMs[1], 1200 + 500);
    EXPECT_EQ(plan.slideStartMs[3] - plan.slideStartMs[2], 900 + 500);
    EXPECT_NEAR(SlotsDurationMs(form1_->FrameCount, period), plan.log.endMs, period);

    form1_->checkbox_captions->setChecked(true);
    const QString mp4 = ExportMp4("narrated.mp4");
    const std::map<QString, double> seconds = StreamSeconds(mp4);
    ASSERT_EQ(seconds.count("video"), 1u);
    ASSERT_EQ(seconds.count("audio"), 1u);
    EXPECT_NEAR(seconds.at("audio"), seconds.at("video"), period / 1000);
    EXPECT_NEAR(seconds.at("audio") * 1000, plan.log.endMs, period);
    // The chapters start where each slide's narration does; the captions are what is said.
    QProcess probe;
    probe.start("ffprobe", {"-v", "error", "-show_entries", "chapter=start_time", "-of", "csv=p=0", mp4});
    ASSERT_TRUE(probe.waitForFinished(60000));
    const QStringList starts = QString::fromUtf8(probe.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(static_cast<size_t>(starts.size()), plan.chapters.size());
    for (size_t k = 0; k < plan.chapters.size(); ++k)
        EXPECT_NEAR(starts[static_cast<int>(k)].toDouble() * 1000, plan.chapters[k].startMs, 1) << "chapter " << k + 1;
    QFile vtt(folder_.filePath("narrated.vtt"));
    ASSERT_TRUE(vtt.open(QIODevice::ReadOnly)) << "the captions beside the video";
    const QString captions = QString::fromUtf8(vtt.readAll());
    EXPECT_TRUE(captions.contains("Here is part one.")) << captions.toStdString();
    EXPECT_FALSE(captions.contains("[click]")) << captions.toStdString();
}

// Cancel while the narration is made keeps nothing, and the Recorder is ready for the next
// session.
TEST_F(NarratedRecording, CancelWhileTheNarrationIsMadeKeepsNothing)
{
    form1_->suiButton5->setEnabled(false);
    Open(deck_, "1,Welcome");
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

// A voice or command that cannot read stops before anything is recorded, with the reason.
TEST_F(NarratedRecording, AVoiceThatCannotReadStopsBeforeRecording)
{
    const struct {
        const char* voice;
        const char* command;
        const char* reason;
    } cases[] = {
        {"robot9", "", "no voice is named"},
        {"", "false {wav}", "exit status"},
        {"", "cat", "{wav}"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        dialogs_.messages.clear();
        form1_->suiButton5->setEnabled(false);
        form1_->dialog_narration->combobox_narration_voice->setCurrentText(c.voice);
        form1_->dialog_narration->edit_tts_command->setText(c.command);
        Record();
        ASSERT_EQ(dialogs_.messages.size(), 1u);
        EXPECT_EQ(dialogs_.messages[0].icon, DialogService::Icon::Error);
        EXPECT_TRUE(dialogs_.messages[0].text.startsWith("Cannot narrate")) << dialogs_.messages[0].text.toStdString();
        EXPECT_TRUE(dialogs_.messages[0].text.contains(c.reason)) << dialogs_.messages[0].text.toStdString();
        EXPECT_FALSE(form1_->suiButton5->isEnabled()) << "nothing to export";
    }
}
