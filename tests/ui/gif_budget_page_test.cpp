// SPDX-License-Identifier: GPL-3.0-or-later
// The Save GIF page's Tolerance and Max size: under the preview, where they move nothing; a
// tolerance checks High Fidelity; a budget saves a file within it and shows what it chose, and
// a size that is no size or that nothing fits writes no file and says why.
#include "core/frame_store.h"
#include "gif_oracle.h"
#include "gif_test_pictures.h"
#include "support/fake_dialogs.h"
#include "support/temp_program_folder.h"
#include "support/test_services.h"
#include "ui/main_window.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <filesystem>
#include <gtest/gtest.h>

TEST(SaveGifPage, ToleranceAndMaxSizeSitUnderThePreviewAndMoveNothing)
{
    TempProgramFolder folder;
    FakeDialogs dialogs;
    TForm1 form(TestAppServices(&dialogs, folder.files()));
    QWidget* page = form.PageControl1->widget(2);
    form.PageControl1->setCurrentIndex(2);
    form.show();
    auto* spin = page->findChild<QSpinBox*>("spin_giftolerance");
    auto* edit = page->findChild<QLineEdit*>("edit_gifmaxsize");
    ASSERT_NE(spin, nullptr);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(spin->minimum(), 0);
    EXPECT_EQ(spin->maximum(), 64);
    EXPECT_EQ(spin->value(), 0);
    EXPECT_TRUE(edit->text().isEmpty());
    // Inside the page and over no other control.
    for (QWidget* added : {static_cast<QWidget*>(spin), static_cast<QWidget*>(edit)}) {
        EXPECT_TRUE(page->rect().contains(added->geometry())) << added->objectName().toStdString();
        for (QWidget* other : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (other != added) {
                EXPECT_FALSE(other->geometry().intersects(added->geometry()))
                    << added->objectName().toStdString() << " over " << other->objectName().toStdString();
            }
        }
    }
    EXPECT_FALSE(form.checkbox_hifi->isChecked());
    spin->setValue(4);
    EXPECT_TRUE(form.checkbox_hifi->isChecked());
}

TEST(SaveGifPage, MaxSizeSavesWithinItOrWritesNothing)
{
    TempProgramFolder folder;
    FakeDialogs dialogs;
    TForm1 form(TestAppServices(&dialogs, folder.files()));
    // Slides whose right half is grain: the exact build is far above the budget.
    for (int slot = 1; slot <= 4; ++slot) {
        Picture p = SlidePicture(320, 240, 40 * slot, 60, slot);
        uint32_t state = static_cast<uint32_t>(slot);
        for (int y = 80; y < 240; ++y)
            for (int x = 160; x < 320; ++x) {
                state = state * 1664525u + 1013904223u;
                FillRect(p, x, y, 1, 1, static_cast<uint8_t>(x - 60 + (state >> 28)), static_cast<uint8_t>(y),
                         static_cast<uint8_t>(state >> 27));
            }
        SaveFrame(folder.files(), p, slot);
    }
    form.FrameCount = 4;
    const auto save = [&](const QString& budget, const std::string& name) {
        form.edit_gifmaxsize->setText(budget);
        const std::string path = folder.path() + name;
        dialogs.fileNames.push_back(QString::fromStdString(path));
        form.Button7->click();
        return path;
    };

    const std::string fits = save("60k", "fits.gif");
    ASSERT_TRUE(std::filesystem::exists(fits));
    EXPECT_LE(std::filesystem::file_size(fits), 60000u);
    const DecodedGif gif = DecodeGif(ReadFileBytes(fits));
    EXPECT_TRUE(gif.ok) << gif.error;
    EXPECT_NE(form.GifBudgetChoice.find(", tolerance "), std::string::npos) << form.GifBudgetChoice;
    EXPECT_EQ(form.suiProgressBar2->format().toStdString(), form.GifBudgetChoice);
    EXPECT_TRUE(dialogs.messages.empty());

    for (const auto& [budget, notice] : {std::pair<QString, QString>{"12Q", "Max size takes a size"},
                                         std::pair<QString, QString>{"100", "No GIF fits 100 bytes"}}) {
        dialogs.messages.clear();
        const std::string path = save(budget, "none.gif");
        EXPECT_FALSE(std::filesystem::exists(path)) << budget.toStdString();
        ASSERT_EQ(dialogs.messages.size(), 1u) << budget.toStdString();
        EXPECT_TRUE(dialogs.messages[0].text.startsWith(notice)) << dialogs.messages[0].text.toStdString();
    }
    // Without a budget the bar shows its percentage again.
    save("", "plain.gif");
    EXPECT_EQ(form.suiProgressBar2->format(), "%p%");
    EXPECT_TRUE(form.GifBudgetChoice.empty());
}
