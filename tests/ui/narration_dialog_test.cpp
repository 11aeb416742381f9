// SPDX-License-Identifier: GPL-3.0-or-later
// Recording a deck's narration slide by slide against a fake Record Device and a fake output:
// each take lands in the deck's narration folder under its slide's name, a new take replaces
// only its own slide's, and a take that fails leaves the one before as it was.
#include "ui/narration_dialog.h"

#include "audio/wave_file.h"
#include "core/narration_takes.h"
#include "fake_sound_input.h"
#include "platform/sound_output.h"
#include "support/wait_for.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

class FakeOutput : public SoundOutputService {
public:
    bool Play(std::vector<int16_t> samples, int rate, int, std::string&) override
    {
        played = samples.size();
        playedRate = rate;
        return true;
    }
    void Stop() override {}
    bool Playing() const override { return false; }
    size_t played = 0;
    int playedRate = 0;
};

} // namespace

TEST(NarrationDialog, EachSlidesTakeIsRecordedReplacedAndPlayedOnItsOwn)
{
    QTemporaryDir dir;
    const std::string deck = dir.filePath("talk.fodp").toStdString();
    FakeSoundInput input;
    FakeOutput output;
    NarrationDialog dialog(nullptr, input, &output);
    QStringList failures;
    QObject::connect(&dialog, &NarrationDialog::Failed, [&failures](const QString& why) { failures << why; });
    dialog.ShowDeck(deck, DeckText{{"Intro", "", "End"}, {"Hello there.", "", "Goodbye."}}, "mic");
    EXPECT_EQ(dialog.folder(), dir.filePath("talk.narration").toStdString());
    ASSERT_EQ(dialog.list_narration->count(), 3);
    EXPECT_EQ(dialog.list_narration->item(1)->text(), "2. Slide 2  (no take)");
    EXPECT_EQ(dialog.text_narration_notes->toPlainText(), "Hello there.");

    // Speaks into slide n's take for about ms.
    const auto take = [&](int n, int ms) {
        dialog.list_narration->setCurrentRow(n - 1);
        QPushButton* start = dialog.button_narration_record->isEnabled() ? dialog.button_narration_record
                                                                          : dialog.button_narration_rerecord;
        start->click();
        if (!input.capture)
            return;
        EXPECT_EQ(input.inputName, "mic");
        input.capture->tone(static_cast<size_t>(input.capture->rate) * ms / 1000, 440, 0.5);
        WaitFor([] { return false; }, ms);
        dialog.button_narration_stop->click();
    };
    take(1, 400);
    take(3, 250);
    ASSERT_TRUE(failures.isEmpty()) << failures.join("; ").toStdString();
    const std::string first = dialog.folder() + "/" + TakeFileName(1);
    const std::string third = dialog.folder() + "/" + TakeFileName(3);
    EXPECT_NEAR(SoundLengthMs(first), 400, 150);
    EXPECT_NEAR(SoundLengthMs(third), 250, 150);
    EXPECT_FALSE(std::filesystem::exists(dialog.folder() + "/" + TakeFileName(2)));
    EXPECT_TRUE(dialog.list_narration->item(2)->text().startsWith("3. End  (0.")) << dialog.list_narration->item(2)->text().toStdString();
    EXPECT_GT(dialog.progressbar_narration_level->maximum(), 0);

    // Re-recording slide 1 leaves slide 3's take as it was.
    const auto thirdWritten = std::filesystem::last_write_time(third);
    take(1, 700);
    EXPECT_NEAR(SoundLengthMs(first), 700, 150);
    EXPECT_EQ(std::filesystem::last_write_time(third), thirdWritten);

    // A Record Device that does not start: a message, and the old take stays.
    input.startFails = true;
    take(1, 100);
    EXPECT_EQ(failures.size(), 1);
    EXPECT_NEAR(SoundLengthMs(first), 700, 150);
    EXPECT_FALSE(std::filesystem::exists(first + ".part"));
    input.startFails = false;

    dialog.list_narration->setCurrentRow(0);
    ASSERT_TRUE(dialog.button_narration_play->isEnabled());
    dialog.button_narration_play->click();
    EXPECT_EQ(output.playedRate, 44100);
    EXPECT_NEAR(static_cast<double>(output.played) / 2 / 44100, 0.7, 0.15);
}

// Listen: the selected slide's notes read by the chosen voice and played, away from the
// dialog's thread; notes that say nothing have nothing to hear.
TEST(NarrationDialog, ListenReadsTheSelectedSlidesNotesInTheChosenVoice)
{
    QTemporaryDir dir;
    FakeSoundInput input;
    FakeOutput output;
    NarrationDialog dialog(nullptr, input, &output);
    QStringList failures;
    QObject::connect(&dialog, &NarrationDialog::Failed, [&failures](const QString& why) { failures << why; });
    dialog.ShowDeck(dir.filePath("talk.fodp").toStdString(),
                    DeckText{{"Intro", "Quiet"}, {"Hello there. This is the first slide.", "<b>*</b>"}}, "mic");
    dialog.checkbox_narrate->setChecked(true);
    dialog.list_narration->setCurrentRow(1);
    EXPECT_FALSE(dialog.button_narration_listen->isEnabled());

    dialog.list_narration->setCurrentRow(0);
    dialog.combobox_narration_voice->setCurrentText("cmu_us_slt");
    dialog.button_narration_listen->click();
    ASSERT_TRUE(WaitFor([&] { return output.played > 0 || !failures.isEmpty(); }, 30000));
    ASSERT_TRUE(failures.isEmpty()) << failures.join("; ").toStdString();
    EXPECT_NEAR(static_cast<double>(output.played) / output.playedRate, 2.5, 1.5) << "two short sentences";
    EXPECT_TRUE(dialog.button_narration_listen->isEnabled());
}
