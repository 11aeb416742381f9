// SPDX-License-Identifier: GPL-3.0-or-later
// A window that died while recording: the next start asks once whether to recover its frames;
// yes makes them the recording Save GIF writes, no deletes them.
#include "core/program_layout.h"
#include "gif_oracle.h"
#include "gif_test_pictures.h"
#include "support/fake_dialogs.h"
#include "support/test_services.h"
#include "support/window_that_died.h"
#include "ui/main_window.h"

#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

// An installed program (its page template under share/deckrec/) whose cache folder is the
// test's own.
class InstalledProgram {
public:
    InstalledProgram()
    {
        const char* old = std::getenv("XDG_CACHE_HOME");
        hadCache_ = old != nullptr;
        oldCache_ = old ? old : "";
        setenv("XDG_CACHE_HOME", (root() + "/cache").c_str(), 1);
        fs::create_directories(bin());
        fs::create_directories(root() + "/usr/share/deckrec");
        std::ofstream(root() + "/usr/share/deckrec/main.htm") << "deck=[right.htm]";
    }
    ~InstalledProgram()
    {
        if (hadCache_)
            setenv("XDG_CACHE_HOME", oldCache_.c_str(), 1);
        else
            unsetenv("XDG_CACHE_HOME");
    }
    std::string root() const { return dir_.path().toStdString(); }
    std::string bin() const { return root() + "/usr/bin/"; }

private:
    QTemporaryDir dir_;
    bool hadCache_ = false;
    std::string oldCache_;
};

} // namespace

TEST(Recovery, TheNextStartAsksOnceAndSavesTheRecoveredSlotsOrDeletesThem)
{
    for (const bool recover : {true, false}) {
        SCOPED_TRACE(recover ? "recovered" : "declined");
        InstalledProgram program;
        // Slots 1 and 3 stored; the mark last said slot 5.
        const std::string left =
            LeaveSessionOfKilledWindow({1, 3}, 5, [](int n) { return SlidePicture(200, 150, 20 * n, 30, n); });
        ASSERT_FALSE(left.empty());

        const ProgramLayout layout(program.bin());
        ASSERT_TRUE(layout.unfinishedSession());
        FakeDialogs dialogs;
        dialogs.confirmations.push_back(recover);
        TForm1 form(TestAppServices(&dialogs, layout.Files()));
        form.OfferUnfinishedSession(*layout.unfinishedSession());
        ASSERT_EQ(dialogs.questions.size(), 1);
        EXPECT_TRUE(dialogs.questions[0].contains("5 frames")) << dialogs.questions[0].toStdString();
        EXPECT_FALSE(fs::exists(left)) << "recovered or declined, the old folder goes";
        EXPECT_TRUE(dialogs.messages.empty());

        if (!recover) {
            EXPECT_EQ(form.FrameCount, 0);
            EXPECT_FALSE(form.suiButton5->isEnabled());
            EXPECT_FALSE(FrameExists(layout.Files(), 1));
            continue;
        }
        EXPECT_EQ(form.FrameCount, 5);
        EXPECT_TRUE(form.suiButton5->isEnabled()) << "Save AVI works on it as after Finished";
        form.suiComboBox2->setCurrentIndex(form.suiComboBox2->count() - 1); // Original size
        form.suiRadioButton8->setChecked(true);                             // Best Quality
        const std::string path = program.root() + "/recovered.gif";
        dialogs.fileNames.push_back(QString::fromStdString(path));
        form.Button9->click();
        form.Button7->click();
        EXPECT_TRUE(dialogs.messages.empty());
        const DecodedGif gif = DecodeGif(ReadFileBytes(path));
        ASSERT_TRUE(gif.ok) << gif.error;
        ASSERT_EQ(gif.frames.size(), 2u);
        EXPECT_EQ(gif.width, 200);
        // Slot 1 shows for two slots, slot 3 to the end of slot 5.
        EXPECT_EQ(gif.frames[0].delay, 30);
        EXPECT_EQ(gif.frames[1].delay, 45);
    }
}
