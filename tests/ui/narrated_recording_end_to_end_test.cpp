// SPDX-License-Identifier: GPL-3.0-or-later
// A narrated recording through the real windows: takes of known lengths in the sample deck's
// narration folder set its slides' times, and their track is the exported video's sound.
#include "live_performance_fixture.h"

#include "audio/sound_clip.h"
#include "core/narration_takes.h"
#include "ui/narration_dialog.h"

#include <QDoubleSpinBox>
#include <QListWidget>
#include <QLineEdit>
#include <filesystem>

#include <algorithm>
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
    // A file that is no take is left out, and the user told so; the recording goes on.
    form1_->dialog_narration->spinbox_narration_gap->setValue(0.5);
    QFile stray(folder_ + "/script.txt");
    ASSERT_TRUE(stray.open(QIODevice::WriteOnly));
    stray.close();

    QTimer::singleShot(0, form2_->button_start, &QPushButton::click);
    ASSERT_TRUE(WaitFor([&] { return form1_->isVisible() && !form2_->isVisible(); }, 90000))
        << "the narration is rendered to its end";
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_EQ(dialogs_.messages[0].icon, DialogService::Icon::Warning);
    EXPECT_TRUE(dialogs_.messages[0].text.contains("script.txt")) << dialogs_.messages[0].text.toStdString();
    dialogs_.messages.clear();
    ASSERT_TRUE(form1_->RecordedNarration.has_value());

    // Each slide lasts its take and the pause set after it, within the frame the slide starts in;
    // the show's end screen follows the last.
    const double period = form1_->RecordedPeriodMs;
    const std::vector<SlideMark>& slides = form1_->RecordedSlides;
    for (const SlideMark& mark : slides)
        std::fprintf(stderr, "slide %d at slot %d\n", mark.slide, mark.slot);
    ASSERT_EQ(slides.size(), takesMs.size() + 1);
    for (size_t k = 0; k < takesMs.size(); ++k)
        EXPECT_NEAR((slides[k + 1].slot - slides[k].slot) * period, takesMs[k] + 500, period)
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

// Narrate notes: the test deck's notes read aloud by the voice chosen in the Narration dialog,
// made while the windows go on answering, each slide as long as its speech; the captions beside
// the video are what is said. A voice or command that cannot read stops before anything is
// recorded, with the reason.
class NarratedNotes : public LivePerformance {
protected:
    void SetUp() override
    {
        LivePerformance::SetUp();
        deck_ = folder_.filePath("narrated.fodp");
        QFile::remove(deck_);
        ASSERT_TRUE(QFile::copy(DECKREC_TEST_DECKS "/narrated.fodp", deck_));
        form1_->audioenable->setChecked(false);
        form1_->checkbox_exacttime->setChecked(true);
        form1_->dialog_narration->checkbox_narrate->setChecked(true);
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

TEST_F(NarratedNotes, AreReadInTheChosenVoiceWhileTheWindowsAnswer)
{
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
    QElapsedTimer wall;
    wall.start();
    Record();
    std::fprintf(stderr, "narrated in the windows: %lld ms of video in %lld ms, %d clock ticks while read\n",
                 form1_->RecordedNarration ? form1_->RecordedNarration->log.endMs : 0LL,
                 static_cast<long long>(wall.elapsed()), ticksWhileRead);
    ASSERT_TRUE(dialogs_.messages.empty()) << dialogs_.messages.front().text.toStdString();
    ASSERT_TRUE(form1_->RecordedNarration.has_value());
    EXPECT_GE(slidesCounted, 3) << "the narration's slides are counted as they are read";
    EXPECT_GE(ticksWhileRead, 10) << "the windows answered while the notes were read";

    // Each slide comes where the plan puts it, within the frame it starts in.
    const NarrationPlan& plan = *form1_->RecordedNarration;
    const double period = form1_->RecordedPeriodMs;
    const std::vector<SlideMark>& slides = form1_->RecordedSlides;
    ASSERT_GE(slides.size(), plan.slideStartMs.size());
    for (size_t k = 1; k < plan.slideStartMs.size(); ++k)
        EXPECT_NEAR(slides[k].slot * period, plan.slideStartMs[k], period) << "slide " << k + 1;
    EXPECT_GT(plan.slideStartMs[1], 2000) << "the first slide's two sentences were spoken";

    form1_->checkbox_captions->setChecked(true);
    const QString mp4 = ExportMp4("notes.mp4");
    const std::map<QString, double> seconds = StreamSeconds(mp4);
    ASSERT_EQ(seconds.count("audio"), 1u);
    EXPECT_NEAR(seconds.at("audio") * 1000, plan.log.endMs, period);
    QFile vtt(folder_.filePath("notes.vtt"));
    ASSERT_TRUE(vtt.open(QIODevice::ReadOnly)) << "the captions beside the video";
    const QString captions = QString::fromUtf8(vtt.readAll());
    EXPECT_TRUE(captions.contains("It shows how notes become speech.")) << captions.toStdString();
    EXPECT_FALSE(captions.contains("[click]")) << captions.toStdString();
}

TEST_F(NarratedNotes, AVoiceThatCannotReadStopsBeforeRecording)
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

// A take recorded through the sound server: a tone played into the speakers' null sink is
// what its monitor, standing in for the microphone, hears; the take holds that tone for as
// long as Record ran.
TEST_F(LivePerformance, ANarrationTakeHoldsWhatTheRecordDeviceHeard)
{
    const QString tonePath = folder_.filePath("tone.wav");
    SoundClip tone{std::vector<int16_t>(44100 * 4), 44100};
    for (size_t i = 0; i < tone.samples.size(); ++i)
        tone.samples[i] = static_cast<int16_t>(8000 * std::sin(static_cast<double>(i) * 2 * M_PI * 440 / 44100));
    WriteSoundTrack(tonePath.toStdString(), {{&tone, 0}}, tone.Ms());
    QProcess player;
    player.start("paplay", {"-d", "spk", tonePath});
    ASSERT_TRUE(player.waitForStarted(10000));
    // The tone plays once the server holds its stream: a loaded machine starts paplay late.
    ASSERT_TRUE(WaitFor(
        [] {
            QProcess streams;
            streams.start("pactl", {"list", "short", "sink-inputs"});
            return streams.waitForFinished(5000) && !streams.readAllStandardOutput().trimmed().isEmpty();
        },
        10000));
    Pause(500);

    NarrationDialog& dialog = *form1_->dialog_narration;
    const QString deck = folder_.filePath("hum.fodp");
    QDir(QString::fromStdString(NarrationFolderFor(deck.toStdString()))).removeRecursively();
    dialog.ShowDeck(deck.toStdString(), DeckText{{"Hum"}, {"Hum along."}}, "spk.monitor");
    dialog.list_narration->setCurrentRow(0);
    QElapsedTimer recording;
    dialog.button_narration_record->click();
    recording.start();
    Pause(1500);
    const qint64 heldMs = recording.elapsed();
    dialog.button_narration_stop->click();
    const std::string take = dialog.folder() + "/" + TakeFileName(1);
    EXPECT_TRUE(WaitFor([&] { return std::filesystem::exists(take); }, 5000));
    player.waitForFinished(10000);

    const SoundClip clip = ReadWaveClip(take);
    ASSERT_GT(clip.rate, 0);
    EXPECT_NEAR(clip.Ms(), heldMs, 300);
    // The tone's pitch: the usual distance between its rising zero crossings over the take's
    // middle. The recorder keeps sound where the wall clock puts it, so a jump in the device's
    // latency may leave a short silence, which the median passes over.
    std::vector<size_t> periods;
    size_t lastRise = 0;
    for (size_t i = clip.samples.size() / 4; i < clip.samples.size() * 3 / 4; ++i)
        if (clip.samples[i - 1] < 0 && clip.samples[i] >= 0) {
            if (lastRise > 0)
                periods.push_back(i - lastRise);
            lastRise = i;
        }
    ASSERT_GT(periods.size(), 100u);
    std::nth_element(periods.begin(), periods.begin() + static_cast<long>(periods.size() / 2), periods.end());
    EXPECT_NEAR(static_cast<double>(clip.rate) / static_cast<double>(periods[periods.size() / 2]), 440, 10);
}
