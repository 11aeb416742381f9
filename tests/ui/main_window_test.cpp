// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/application.h"
#include "core/deckrec_error.h"
#include "ui/main_window.h"
#include "video/video_file_options.h"
#include "core/presentation_page.h"
#include "ui/recorder_window.h"
#include "support/fake_dialogs.h"
#include "support/temp_program_folder.h"
#include "support/test_services.h"

#include <QCheckBox>
#include <QLabel>
#include "platform/presentation_preparer.h"
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>
#include <fstream>
#include <gtest/gtest.h>

TEST(MainWindow, CentringTruncatesTowardZero)
{
    EXPECT_EQ(CentredPosition(1024, 416), 304);
    EXPECT_EQ(CentredPosition(411, 416), -2);
    EXPECT_EQ(CentredPosition(1023, 416), 303);
}

TEST(MainWindow, StartsOnTheOpenPptPageWithItsInitialState)
{
    TForm1 form(TestAppServices());
    EXPECT_EQ(form.windowTitle(), "Deckrec 1.0");
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), "Deckrec");
    EXPECT_EQ(form.size(), QSize(416, 332));
    EXPECT_EQ(form.FrameCount, 0);
    ASSERT_EQ(form.PageControl1->count(), 3);
    EXPECT_EQ(form.PageControl1->tabText(0), "Open PPT");
    EXPECT_EQ(form.PageControl1->tabText(1), "Save AVI");
    EXPECT_EQ(form.PageControl1->tabText(2), "Save GIF");
    EXPECT_EQ(form.PageControl1->currentIndex(), 0);
    EXPECT_TRUE(form.Timer2->isActive());
    EXPECT_FALSE(form.Timer1->isActive());
    EXPECT_EQ(form.Timer1->interval(), 500);

    EXPECT_EQ(form.findChild<QLineEdit*>("Edit1")->text(), "Open file");
    EXPECT_FALSE(form.findChild<QPushButton*>("recordernow")->isEnabled());
    EXPECT_EQ(form.findChild<QPushButton*>("recordernow")->geometry(), QRect(320, 81, 69, 31));
    EXPECT_TRUE(form.findChild<QRadioButton*>("radiobutton_autorecord")->isChecked());
    EXPECT_FALSE(form.findChild<QCheckBox*>("checkbox_cursor")->isChecked());
    EXPECT_TRUE(form.findChild<QCheckBox*>("audioenable")->isChecked());
    auto* latency = form.findChild<QSpinBox*>("suiSpinEdit3");
    EXPECT_EQ(latency->value(), 5000);
    EXPECT_EQ(latency->minimum(), 500);
    EXPECT_EQ(latency->maximum(), 60000);
    EXPECT_EQ(form.findChild<QComboBox*>("SoundQuality")->currentText(), "ADPCM 44100Hz x1");
    EXPECT_EQ(form.findChild<QComboBox*>("sounddevice")->count(), 0);
    for (const char* name : {"soundvolume", "svolume2", "svolume3"}) {
        auto* bar = form.findChild<QSlider*>(name);
        ASSERT_NE(bar, nullptr) << name;
        EXPECT_EQ(bar->value(), 0);
        EXPECT_EQ(bar->maximum(), 100);
    }
}

TEST(MainWindow, BrowseWritesTheGeneratedPageAndEnablesRecordNow)
{
    TempProgramFolder folder;
    std::ofstream(PageTemplatePath(folder.files())) << "deck=[right.htm]";
    FakeDialogs dialogs;
    TForm1 form(TestAppServices(&dialogs, folder.files()));

    dialogs.fileNames.push_back(""); // cancelled: nothing changes
    form.Button1->click();
    EXPECT_EQ(form.Edit1->text(), "Open file");
    EXPECT_FALSE(form.recordernow->isEnabled());
    EXPECT_TRUE(dialogs.lastFilter.startsWith("PowerPoint"));
    EXPECT_EQ(dialogs.lastInitialName, "*.ppt");

    dialogs.fileNames.push_back("/decks/talk one.ppt");
    form.Button1->click();
    EXPECT_EQ(form.Edit1->text(), "/decks/talk one.ppt");
    EXPECT_TRUE(form.recordernow->isEnabled());
    std::ifstream page(GeneratedPagePath(folder.files()));
    std::string text((std::istreambuf_iterator<char>(page)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "deck=/decks/talk one.ppt\r\n");
}

namespace {
// Answers the font check later, as the converter does once LibreOffice has finished.
class FontCheckingPreparer : public PresentationPreparer {
public:
    void Prepare(const QString&) override {}
    void CheckFonts(const QString& path, std::function<void(const QStringList&)> done) override
    {
        pending.push_back({path, std::move(done)});
    }
    std::vector<std::pair<QString, std::function<void(const QStringList&)>>> pending;
};
} // namespace

TEST(MainWindow, BrowseShowsTheDecksMissingFontsWithoutMovingAControlAndALateAnswerIsDropped)
{
    TempProgramFolder folder;
    std::ofstream(PageTemplatePath(folder.files())) << "deck=[right.htm]";
    FakeDialogs dialogs;
    FontCheckingPreparer preparer;
    AppServices services = TestAppServices(&dialogs, folder.files());
    services.presentations = &preparer;
    TForm1 form(services);
    auto* label = form.findChild<QLabel*>("fontsLabel");
    ASSERT_NE(label, nullptr);
    const QRect browse = form.Button1->geometry();

    dialogs.fileNames.push_back("/decks/first.pptx");
    form.Button1->click();
    dialogs.fileNames.push_back("/decks/second.pptx");
    form.Button1->click();
    ASSERT_EQ(preparer.pending.size(), 2u);
    const QStringList lines = {"the font \"Gill Sans MT\" is not installed; DejaVu Sans is drawn instead",
                               "the font \"Frutiger\" is not installed; DejaVu Sans is drawn instead"};
    preparer.pending[0].second(lines); // the first deck's answer comes after the second Browse
    EXPECT_TRUE(label->text().isEmpty());
    preparer.pending[1].second(lines.mid(0, 1));
    EXPECT_EQ(label->text(), "Warning: " + lines[0]);
    EXPECT_EQ(label->toolTip(), lines[0]);
    EXPECT_EQ(form.Button1->geometry(), browse);
    // Under the upper box (which ends at y 121), above the first volume caption.
    EXPECT_GE(label->geometry().top(), 121);
    EXPECT_LE(label->geometry().bottom(), 137);

    dialogs.fileNames.push_back("/decks/third.pptx");
    form.Button1->click();
    EXPECT_TRUE(label->text().isEmpty());
}

TEST(MainWindow, ADeckFromTheCommandLineIsChosenAsBrowseWouldAndAMissingOneIsReported)
{
    TempProgramFolder folder;
    std::ofstream(PageTemplatePath(folder.files())) << "deck=[right.htm]";
    FakeDialogs dialogs;
    TForm1 form(TestAppServices(&dialogs, folder.files()));

    form.OpenPresentation(QString::fromStdString(folder.path() + "absent.fodp"));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains("absent.fodp"));
    EXPECT_EQ(form.Edit1->text(), "Open file");
    EXPECT_FALSE(form.recordernow->isEnabled());
    EXPECT_FALSE(std::ifstream(GeneratedPagePath(folder.files())).good());

    // "Open with..." may hand a name relative to the current folder; the page needs it whole.
    std::ofstream(folder.path() + "talk.fodp") << "deck";
    const QString previous = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(folder.path()));
    form.OpenPresentation("talk.fodp");
    QDir::setCurrent(previous);
    EXPECT_EQ(form.Edit1->text().toStdString(), folder.path() + "talk.fodp");
    EXPECT_TRUE(form.recordernow->isEnabled());
    std::ifstream page(GeneratedPagePath(folder.files()));
    std::string text((std::istreambuf_iterator<char>(page)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "deck=" + folder.path() + "talk.fodp\r\n");
    EXPECT_EQ(dialogs.messages.size(), 1u);

    form.Button1->click(); // Browse offers the flat OpenDocument decks too
    EXPECT_TRUE(dialogs.lastFilter.contains("*.fodp"));
}

TEST(MainWindow, AnExceptionLeavingAHandlerIsShownAndTheProgramGoesOn)
{
    FakeDialogs dialogs;
    auto* app = static_cast<DeckrecApplication*>(QCoreApplication::instance());
    app->setDialogs(&dialogs);
    bool afterwards = false;
    QEventLoop loop;
    QTimer::singleShot(0, [] { throw DeckrecError("Bitmap image is not valid"); });
    QTimer::singleShot(5, [&] { afterwards = true; loop.quit(); });
    loop.exec();
    EXPECT_TRUE(afterwards);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Bitmap image is not valid");
    EXPECT_EQ(dialogs.messages[0].icon, DialogService::Icon::Error);
}

TEST(MainWindow, ClosingClearsTheWorkingFilesAndShowingHidesTheRecorder)
{
    TempProgramFolder folder;
    std::ofstream(folder.files().FrameFilePath(3)) << "x";
    TForm1 form(TestAppServices(nullptr, folder.files()));
    TForm2 recorder(&form);
    form.setRecorder(&recorder);
    recorder.show();
    form.show();
    EXPECT_FALSE(recorder.isVisible());
    form.close();
    EXPECT_FALSE(std::filesystem::exists(folder.files().FrameFilePath(3)));
    EXPECT_TRUE(std::filesystem::is_directory(folder.files().WorkingDirectory()));
}

namespace {
// Keeps what the window asks of the converter about the network, and answers the link check
// later.
class RemoteCheckingPreparer : public PresentationPreparer {
public:
    void Prepare(const QString& path) override { prepared << path; }
    void AllowRemoteContent(bool allowed) override { allowedCalls.push_back(allowed); }
    void CheckRemoteContent(const QString& path, std::function<void(const QString&)> done) override
    {
        pending.push_back({path, std::move(done)});
    }
    QStringList prepared;
    std::vector<bool> allowedCalls;
    std::vector<std::pair<QString, std::function<void(const QString&)>>> pending;
};
} // namespace

TEST(MainWindow, OptionsAllowRemoteContentFromAButtonThatMovesNoControlAndTheWarningFollows)
{
    TempProgramFolder folder;
    std::ofstream(PageTemplatePath(folder.files())) << "deck=[right.htm]";
    FakeDialogs dialogs;
    RemoteCheckingPreparer preparer;
    AppServices services = TestAppServices(&dialogs, folder.files());
    services.presentations = &preparer;
    TForm1 form(services);
    auto* options = form.findChild<QPushButton*>("button_options");
    auto* allow = form.findChild<QCheckBox*>("checkbox_remotecontent");
    auto* label = form.findChild<QLabel*>("fontsLabel");
    ASSERT_TRUE(options && allow && label);
    EXPECT_EQ(allow->text(), "Allow remote content");
    EXPECT_FALSE(allow->isChecked());

    // Inside the upper box, clear of every other control of the page, its caption whole.
    QWidget* page = options->parentWidget();
    EXPECT_TRUE(page->findChild<QWidget*>("upperBox")->geometry().contains(options->geometry()));
    EXPECT_LE(options->fontMetrics().horizontalAdvance(options->text()) + 12, options->width());
    for (QWidget* other : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (other != options && other->objectName() != "upperBox") {
            EXPECT_FALSE(other->geometry().intersects(options->geometry()))
                << "over " << other->objectName().toStdString() << " "
                << qPrintable(other->property("text").toString());
        }
    EXPECT_FALSE(allow->isVisible());
    options->click();
    EXPECT_TRUE(allow->isVisible());
    EXPECT_TRUE(form.recordernow->geometry() == QRect(320, 81, 69, 31));

    dialogs.fileNames.push_back("/decks/linked.pptx");
    form.Button1->click();
    ASSERT_EQ(preparer.pending.size(), 1u);
    const QString warning =
        "the deck links a picture on the network; it is drawn as a missing link: http://example.com/x.png";
    preparer.pending[0].second(warning);
    EXPECT_EQ(label->text(), "Warning: " + warning + " (Options... > Allow remote content fetches them)");

    // Allowing converts the chosen deck again; its old answer, late, is dropped.
    allow->setChecked(true);
    EXPECT_EQ(preparer.allowedCalls, std::vector<bool>{true});
    EXPECT_EQ(preparer.prepared, (QStringList{"/decks/linked.pptx", "/decks/linked.pptx"}));
    EXPECT_TRUE(label->text().isEmpty());
    ASSERT_EQ(preparer.pending.size(), 2u);
    preparer.pending[0].second(warning);
    EXPECT_TRUE(label->text().isEmpty());
    preparer.pending[1].second(QString());
    EXPECT_TRUE(label->text().isEmpty());
    allow->setChecked(false);
    EXPECT_EQ(preparer.allowedCalls, (std::vector<bool>{true, false}));
}

TEST(MainWindow, DeckTextControlsSitClearOfTheOthersAndChooseWhatAVideoGets)
{
    TForm1 form(TestAppServices());
    ASSERT_NE(form.checkbox_decktimings, nullptr);
    EXPECT_TRUE(form.checkbox_decktimings->isChecked());
    EXPECT_TRUE(form.DeckTimings());
    EXPECT_TRUE(form.checkbox_chapters->isChecked());
    EXPECT_FALSE(form.checkbox_captions->isEnabled()) << "no deck with notes recorded yet";
    EXPECT_LE(form.checkbox_decktimings->geometry().right(), 401);
    EXPECT_GE(form.checkbox_decktimings->width(), form.checkbox_decktimings->sizeHint().width()) << "its caption is cut";
    for (QCheckBox* added : {form.checkbox_decktimings, form.checkbox_chapters, form.checkbox_captions}) {
        EXPECT_GT(added->width(), 40) << added->objectName().toStdString();
        for (QWidget* other : added->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (other != added && other->objectName() != "upperBox" && other->objectName() != "aviOptionsBox" &&
                other->isVisibleTo(added->parentWidget())) {
                EXPECT_FALSE(other->geometry().intersects(added->geometry()))
                    << added->objectName().toStdString() << " over " << other->objectName().toStdString() << " "
                    << qPrintable(other->property("text").toString());
            }
    }

    form.FrameCount = 40;
    form.SetSlides({{1, 1, "One"}, {21, 2, ""}});
    const std::vector<TimedText> chapters = {{0, 3000, "One"}, {3000, 6000, "Slide 2"}};
    for (const VideoFormat format : {VideoFormat::Avi, VideoFormat::Mp4, VideoFormat::Mkv}) {
        for (const bool checked : {true, false}) {
            form.checkbox_chapters->setChecked(checked);
            VideoFileOptions options;
            options.format = format;
            form.AddDeckText(options);
            EXPECT_EQ(options.chapters, checked && format != VideoFormat::Avi ? chapters : std::vector<TimedText>{});
            EXPECT_TRUE(options.captions.empty());
        }
    }
}
