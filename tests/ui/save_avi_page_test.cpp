// SPDX-License-Identifier: GPL-3.0-or-later
// The Save AVI page: its controls, the encoder list's default choice, and Save to AVI.
#include "core/deckrec_error.h"
#include "core/frame_store.h"
#include "ui/main_window.h"
#include "core/working_files.h"
#include "video/avi_writer.h"
#include "avi_test_media.h"
#include "fake_encoder_facility.h"
#include "ffmpeg_oracle.h"
#include "support/fake_dialogs.h"
#include "support/test_services.h"
#include "support/temp_program_folder.h"

#include <QCheckBox>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>

#include <sndfile.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

QStringList Items(const QComboBox* box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

// A main window whose encoders are the test's own.
class AviSavePageTest : public ::testing::Test {
protected:
    AviSavePageTest()
    {
        facility.catalogue = {{"MJPG", "mjpeg"}, {"divx", "lowercase"}, {"DIVX", "mpeg4"}, {"WMV2", "wmv2"}};
        AppServices services = TestAppServices();
        services.encoders = &facility;
        form = std::make_unique<TForm1>(services);
        form->Timer2->stop(); // the start-up step is the sound side's; the tests fill the list
    }

    FakeEncoderFacility facility;
    std::unique_ptr<TForm1> form;
};

TEST_F(AviSavePageTest, PageHoldsItsControlsInTheirInitialState)
{
    QWidget* page = form->PageControl1->widget(1);
    EXPECT_EQ(Items(form->ComboBox1), QStringList({"  1 Bit ", "  4 Bit  ", "  8 Bit", "24 Bit", "32 Bit"}));
    EXPECT_EQ(form->ComboBox1->currentText(), "24 Bit");
    EXPECT_EQ(Items(form->ComboBox3),
              QStringList({"Highest Quality", "Very High Quality", "High Quality", "Medium Quality", "Low Quality"}));
    EXPECT_EQ(form->ComboBox3->currentText(), "Medium Quality");
    EXPECT_EQ(form->ComboBox2->count(), 0);
    EXPECT_EQ(form->ComboBox2->placeholderText(), "Video Encoder");
    EXPECT_EQ(Items(form->suiComboBox1), QStringList({"560x420", "480x360", "360x270", "240x180", "120x90", "Original size"}));
    EXPECT_EQ(form->suiComboBox1->currentIndex(), 0);
    EXPECT_EQ(form->suiButton1->text(), "Advance");
    EXPECT_EQ(Items(form->videoformat), QStringList({"AVI", "MP4", "WebM", "MKV"}));
    EXPECT_EQ(form->videoformat->currentText(), "AVI");
    EXPECT_EQ(form->suiButton5->text(), "Save to AVI");
    EXPECT_FALSE(form->suiButton5->isEnabled());
    EXPECT_EQ(form->suiProgressBar1->value(), 0);
    EXPECT_EQ(form->button_cancelavi->text(), "Cancel");
    EXPECT_FALSE(form->button_cancelavi->isEnabled());
    for (const char* name : {"videoformat", "ComboBox1", "ComboBox2", "ComboBox3", "suiComboBox1", "suiButton1",
                             "suiButton5", "suiProgressBar1", "button_cancelavi"}) {
        QWidget* control = page->findChild<QWidget*>(name);
        ASSERT_NE(control, nullptr) << name;
        EXPECT_LE(control->geometry().right(), 410) << name;
        EXPECT_LE(control->geometry().bottom(), 300) << name;
    }
    for (const char* caption : {"Color:", "Encoder:", "Quality:", "Zoom:"}) {
        bool found = false;
        for (QLabel* label : page->findChildren<QLabel*>())
            found = found || label->text() == caption;
        EXPECT_TRUE(found) << caption;
    }
    // The writer as the window stores it.
    EXPECT_EQ(form->AviWriter->Width, 102);
    EXPECT_EQ(form->AviWriter->Height, 76);
    EXPECT_EQ(form->AviWriter->FrameTime, 1000);
}

TEST_F(AviSavePageTest, EncoderListChoosesDivxThenWmvByExactLetters)
{
    form->FillEncoderList();
    EXPECT_EQ(Items(form->ComboBox2),
              QStringList({"No Compression", "MJPG mjpeg", "divx lowercase", "DIVX mpeg4", "WMV2 wmv2"}));
    EXPECT_EQ(form->ComboBox2->currentText(), "DIVX mpeg4");
    EXPECT_EQ(form->AviWriter->compressorCode(), "DIVX");
    EXPECT_EQ(form->AviWriter->quality(), 4000);
    EXPECT_EQ(facility.questions.front(), "MJPG 102x76 24");

    facility.catalogue = {{"divx", "lowercase"}, {"WMV1", "wmv1"}, {"WMV2", "wmv2"}};
    form->FillEncoderList();
    EXPECT_EQ(form->ComboBox2->currentText(), "WMV1 wmv1");
    EXPECT_EQ(form->AviWriter->compressorCode(), "WMV1");

    facility.catalogue = {{"divx", "lowercase"}, {"MJPG", "mjpeg"}};
    form->FillEncoderList();
    EXPECT_EQ(form->ComboBox2->currentIndex(), 0);
    EXPECT_EQ(form->AviWriter->compressorCode(), "");

    facility.catalogue.clear();
    form->FillEncoderList();
    EXPECT_EQ(Items(form->ComboBox2), QStringList({"No Compression"}));
    EXPECT_EQ(form->AviWriter->compressorCode(), "");
    form->suiButton1Click(); // nothing to configure
}

TEST_F(AviSavePageTest, ColourDepthRebuildsTheListAndResetsTheChoice)
{
    facility.catalogue = {{"DIVX", "mpeg4"}, {"ZMBV", "zmbv", {1, 4, 8, 24, 32}}};
    form->FillEncoderList();
    form->ComboBox2->setCurrentIndex(2);
    form->ComboBox2Change();
    EXPECT_EQ(form->AviWriter->compressorCode(), "ZMBV");

    form->ComboBox1->setCurrentIndex(3); // still 24 bits: the default choice comes back
    form->ComboBox1Change();
    EXPECT_EQ(form->AviWriter->compressorCode(), "DIVX");

    facility.questions.clear();
    form->ComboBox1->setCurrentIndex(0);
    form->ComboBox1Change();
    EXPECT_EQ(form->AviWriter->PixelFormat(), TPixelFormat::pf1bit);
    EXPECT_EQ(facility.questions.front(), "DIVX 102x76 1");
    EXPECT_EQ(Items(form->ComboBox2), QStringList({"No Compression", "ZMBV zmbv"}));
    EXPECT_EQ(form->ComboBox2->currentIndex(), 0);
    EXPECT_EQ(form->AviWriter->compressorCode(), "");

    form->ComboBox1->setCurrentIndex(-1); // no selection: the depth stays
    form->ComboBox1Change();
    EXPECT_EQ(form->AviWriter->PixelFormat(), TPixelFormat::pf1bit);
}

TEST_F(AviSavePageTest, QualityItemsSetTheWritersQuality)
{
    const int expected[] = {10000, 8000, 6000, 4000, 2000};
    for (int i = 0; i < 5; ++i) {
        form->ComboBox3->setCurrentIndex(i);
        form->ComboBox3Change();
        EXPECT_EQ(form->AviWriter->quality(), expected[i]);
    }
    form->ComboBox3->setCurrentIndex(-1);
    form->ComboBox3Change();
    EXPECT_EQ(form->AviWriter->quality(), 10000);
}

TEST_F(AviSavePageTest, AdvanceShowsTheChosenEncodersSettings)
{
    EncoderOption speed;
    speed.name = "speed";
    speed.kind = EncoderOption::Kind::Integer;
    speed.minimum = 0;
    speed.maximum = 10;
    speed.defaultValue = "4";
    facility.catalogue[2].options = {speed};
    form->FillEncoderList();

    bool shown = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        shown = true;
        dialog->findChild<QSpinBox*>("speed")->setValue(7);
        dialog->accept();
    });
    form->suiButton1->click();
    EXPECT_TRUE(shown);
    EXPECT_EQ(facility.optionValues["DIVX speed"], "7");

    form->ComboBox2->setCurrentIndex(0);
    form->ComboBox2Change();
    form->suiButton1->click(); // "No Compression": nothing opens
}

// Save to AVI against the real encoders, with frames in a program folder of the test's own.
class AviSaveCommandTest : public ::testing::Test {
protected:
    AviSaveCommandTest()
    {
        form.Timer2->stop();
        form.FillEncoderList();
        form.suiButton5->setEnabled(true);
        form.suiComboBox1->setCurrentIndex(4); // 120x90, the pictures' own size
        form.audioenable->setChecked(false);
        selectEncoder("No Compression");
    }

    void selectEncoder(const QString& entry)
    {
        const int index = form.ComboBox2->findText(entry);
        ASSERT_GE(index, 0) << entry.toStdString();
        form.ComboBox2->setCurrentIndex(index);
    }

    std::string chosen(const std::string& name) const { return folder.path() + name; }

    void save(const std::string& name)
    {
        dialogs.fileNames.push_back(QString::fromStdString(chosen(name)));
        form.suiButton5Click();
    }

    TempProgramFolder folder;
    FakeDialogs dialogs;
    TForm1 form{TestAppServices(&dialogs, folder.files())};
};

TEST_F(AviSaveCommandTest, MissingSlotsRepeatThePreviousPicture)
{
    std::vector<Picture> pictures;
    for (int i = 0; i < 5; ++i)
        pictures.push_back(SlidePicture(120, 90, i));
    for (int slot : {1, 2, 5})
        SaveFrame(folder.files(), pictures[static_cast<size_t>(slot - 1)], slot);
    form.FrameCount = 5;
    save("talk.avi");

    const std::vector<ProbedStream> streams = ProbeStreams(chosen("talk.avi"));
    ASSERT_EQ(streams.size(), 1u);
    EXPECT_EQ(streams[0].frameRate, "20/3");
    const auto frames = DecodeVideoFrames(chosen("talk.avi"), 120, 90);
    ASSERT_EQ(frames.size(), 5u);
    const int shown[] = {1, 2, 2, 2, 5};
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(frames[i], PackedBgr(pictures[static_cast<size_t>(shown[i] - 1)])) << "frame " << i;
    // The intermediate files lived in the working directory and are gone.
    EXPECT_EQ(form.AviWriter->filename, folder.files().WorkingDirectory() + "tempdeckrec.avi");
    EXPECT_EQ(form.AviWriter->TempFileName, folder.files().WorkingDirectory() + "~AWTemptempdeckrec.avi");
    EXPECT_FALSE(fs::exists(form.AviWriter->filename));
    EXPECT_FALSE(fs::exists(form.AviWriter->TempFileName));
    EXPECT_TRUE(dialogs.lastFilter.startsWith("*.avi"));
    EXPECT_EQ(dialogs.lastInitialName, "avi");
}

TEST_F(AviSaveCommandTest, AMissingFirstSlotStartsBlackAtTheZoomSize)
{
    SaveFrame(folder.files(), SlidePicture(300, 200, 0), 2);
    form.FrameCount = 2;
    form.suiComboBox1->setCurrentIndex(3);
    save("zoom.avi");
    const std::vector<ProbedStream> streams = ProbeStreams(chosen("zoom.avi"));
    ASSERT_EQ(streams.size(), 1u);
    // 240 wide in the 3:2 shape of the recording.
    EXPECT_EQ(streams[0].width, 240);
    EXPECT_EQ(streams[0].height, 160);
    const auto frames = DecodeVideoFrames(chosen("zoom.avi"), 240, 160);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], std::vector<uint8_t>(240 * 160 * 3, 0));
}

TEST_F(AviSaveCommandTest, ProgressMovesEvenlyWithTheFramesToTheEnd)
{
    // The frames are compressed as they are read: the slots fill the whole bar.
    for (int slot = 1; slot <= 10; ++slot)
        SaveFrame(folder.files(), SlidePicture(120, 90, slot), slot);
    form.FrameCount = 10;
    selectEncoder("DIVX mpeg4");
    std::vector<int> positions;
    QObject::connect(form.suiProgressBar1, &QProgressBar::valueChanged, [&](int value) { positions.push_back(value); });
    save("progress.avi");
    EXPECT_EQ(form.suiProgressBar1->maximum(), 15);
    EXPECT_EQ(form.suiProgressBar1->value(), 15);
    EXPECT_EQ(positions, std::vector<int>({1, 3, 4, 6, 7, 9, 10, 12, 13, 15}));
    EXPECT_EQ(ProbeStreams(chosen("progress.avi")).at(0).tag, "DIVX");
    EXPECT_TRUE(form.suiButton5->isEnabled());
    EXPECT_TRUE(form.PageControl1->tabBar()->isEnabled());
}

TEST_F(AviSaveCommandTest, NoFramesGivesANoticeAfterTheSaveDialog)
{
    form.FrameCount = 0;
    save("none.avi");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "No images selected.");
    EXPECT_FALSE(fs::exists(chosen("none.avi")));

    dialogs.messages.clear();
    form.FrameCount = 3;
    dialogs.fileNames.push_back(""); // cancelled
    form.suiButton5Click();
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(AviSaveCommandTest, AudioOnAddsTheSoundFileOrStopsWithItsError)
{
    SaveFrame(folder.files(), SlidePicture(120, 90, 0), 1);
    form.FrameCount = 4;
    form.audioenable->setChecked(true);
    try {
        save("silent.avi");
        FAIL() << "no sound file, no video";
    } catch (const DeckrecError& e) {
        EXPECT_STREQ(e.what(), "A disk error occurred while opening the audio file.");
    }
    EXPECT_FALSE(fs::exists(chosen("silent.avi")));
    EXPECT_TRUE(form.suiButton5->isEnabled());

    WriteToneWav(folder.files().SoundFilePath(), SF_FORMAT_IMA_ADPCM, 44100, 1, 0.6);
    save("sound.avi");
    const std::vector<ProbedStream> streams = ProbeStreams(chosen("sound.avi"));
    ASSERT_EQ(streams.size(), 2u);
    EXPECT_EQ(streams[1].codec, "adpcm_ima_wav");
    EXPECT_EQ(form.AviWriter->WavFileName(), folder.files().SoundFilePath());
}

TEST_F(AviSaveCommandTest, AnExistingFileIsReplacedOnlyWhenTheUserAgrees)
{
    SaveFrame(folder.files(), SlidePicture(120, 90, 0), 1);
    form.FrameCount = 1;
    std::ofstream(chosen("kept.avi")) << "precious";
    dialogs.confirmations.push_back(false);
    save("kept.avi");
    EXPECT_EQ(dialogs.questions, QStringList({"File exists, overwrite?"}));
    std::ifstream kept(chosen("kept.avi"));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "precious");

    dialogs.confirmations.push_back(true);
    save("kept.avi");
    EXPECT_EQ(ProbeStreams(chosen("kept.avi")).size(), 1u);
}

TEST_F(AviSaveCommandTest, AnEncoderThatRejectsTheFramesStopsBeforeTheDialog)
{
    selectEncoder("DIVX mpeg4");
    form.ComboBox1->setCurrentIndex(2); // 8 bits, set behind the list's back
    form.AviWriter->SetPixelFormat(TPixelFormat::pf8bit);
    form.FrameCount = 2;
    dialogs.fileNames.push_back(QString::fromStdString(chosen("never.avi")));
    try {
        form.suiButton5Click();
        FAIL() << "DIVX takes no 8-bit frames";
    } catch (const DeckrecError& e) {
        EXPECT_STREQ(e.what(), "No compressor for DIVX available");
    }
    EXPECT_EQ(dialogs.fileNames.size(), 1u) << "the save dialog was not shown";
}

TEST_F(AviSaveCommandTest, ClosingTheWindowDuringTheExportWaitsForItsEnd)
{
    std::vector<Picture> pictures;
    for (int slot = 1; slot <= 6; ++slot) {
        pictures.push_back(SlidePicture(120, 90, slot));
        SaveFrame(folder.files(), pictures.back(), slot);
    }
    form.FrameCount = 6;
    form.show();
    // The close comes in through the export's own message processing, as a click on the
    // window's close button would.
    bool stayedOpen = false;
    QTimer::singleShot(0, &form, [&] {
        form.close();
        stayedOpen = form.isVisible();
    });
    save("closing.avi");
    EXPECT_TRUE(stayedOpen);
    const auto frames = DecodeVideoFrames(chosen("closing.avi"), 120, 90);
    ASSERT_EQ(frames.size(), 6u);
    for (size_t i = 0; i < 6; ++i)
        EXPECT_EQ(frames[i], PackedBgr(pictures[i])) << "frame " << i << " was read after the close";

    // The close happens once the export has ended, and clears the working files then.
    QCoreApplication::processEvents();
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(FrameExists(folder.files(), 1));
}

TEST_F(AviSaveCommandTest, ASecondStartWhileSavingDoesNothing)
{
    form.FrameCount = 2;
    form.AviExportRunning = true;
    dialogs.fileNames.push_back(QString::fromStdString(chosen("twice.avi")));
    form.suiButton5Click();
    EXPECT_EQ(dialogs.fileNames.size(), 1u);
    form.AviExportRunning = false;
}

void ChooseFormat(TForm1& form, const QString& name)
{
    form.videoformat->setCurrentIndex(form.videoformat->findText(name));
    form.videoformatChange();
}

TEST_F(AviSaveCommandTest, FormatsOfferWhatTheirContainerHoldsAndTheirOwnEncoder)
{
    ChooseFormat(form, "MP4");
    EXPECT_EQ(form.ComboBox2->currentText(), "H264 libx264");
    EXPECT_EQ(form.ComboBox2->findText("No Compression"), -1);
    EXPECT_EQ(form.ComboBox2->findText("WMV2 wmv2"), -1) << "MP4 holds no WMV";
    EXPECT_EQ(form.ComboBox1->currentText(), "24 Bit");
    EXPECT_FALSE(form.ComboBox1->isEnabled());
    EXPECT_EQ(form.suiButton5->text(), "Save to MP4");
    EXPECT_EQ(form.AviWriter->compressorCode(), "H264");

    ChooseFormat(form, "WebM");
    EXPECT_EQ(form.ComboBox2->currentText(), "VP90 libvpx-vp9");
    for (const QString& entry : Items(form.ComboBox2))
        EXPECT_TRUE(entry.contains("libvpx") || entry.contains("av1")) << entry.toStdString();
    EXPECT_EQ(form.suiButton5->text(), "Save to WebM");

    ChooseFormat(form, "MKV");
    EXPECT_EQ(form.ComboBox2->currentText(), "H264 libx264");
    EXPECT_TRUE(form.ComboBox1->isEnabled());

    ChooseFormat(form, "AVI");
    EXPECT_EQ(form.ComboBox2->itemText(0), "No Compression");
    EXPECT_EQ(form.ComboBox2->currentText(), "DIVX mpeg4");
    EXPECT_EQ(form.suiButton5->text(), "Save to AVI");
}

TEST_F(AviSaveCommandTest, SaveToMp4WritesH264AndAacAndMovesTheBar)
{
    for (int slot = 1; slot <= 8; ++slot)
        SaveFrame(folder.files(), SlidePicture(120, 90, slot), slot);
    form.FrameCount = 8;
    form.audioenable->setChecked(true);
    WriteToneWav(folder.files().SoundFilePath(), SF_FORMAT_IMA_ADPCM, 11025, 1, 1.2);
    ChooseFormat(form, "MP4");
    std::vector<int> positions;
    QObject::connect(form.suiProgressBar1, &QProgressBar::valueChanged, [&](int value) { positions.push_back(value); });
    save("talk.mp4");
    EXPECT_TRUE(dialogs.lastFilter.startsWith("*.mp4"));
    EXPECT_EQ(dialogs.lastInitialName, "mp4");
    const std::vector<ProbedStream> streams = ProbeStreams(chosen("talk.mp4"));
    ASSERT_EQ(streams.size(), 2u);
    EXPECT_EQ(streams[0].codec, "h264");
    EXPECT_EQ(streams[0].packets, 8);
    EXPECT_EQ(streams[1].codec, "aac");
    EXPECT_GE(positions.size(), 8u);
    EXPECT_EQ(form.suiProgressBar1->value(), form.suiProgressBar1->maximum());
    EXPECT_TRUE(form.videoformat->isEnabled());
}

TEST_F(AviSaveCommandTest, ATypedExtensionSwitchesTheFormatWhenTheEncoderFits)
{
    SaveFrame(folder.files(), SlidePicture(120, 90, 0), 1);
    form.FrameCount = 3;
    selectEncoder("H264 libx264");
    form.ComboBox2Change();
    save("talk.mkv");
    EXPECT_EQ(form.videoformat->currentText(), "MKV");
    EXPECT_EQ(form.ComboBox2->currentText(), "H264 libx264");
    EXPECT_EQ(form.suiButton5->text(), "Save to MKV");
    std::ifstream file(chosen("talk.mkv"), std::ios::binary);
    std::string magic(4, '\0');
    file.read(magic.data(), 4);
    EXPECT_EQ(magic, "\x1A\x45\xDF\xA3") << "a Matroska file";
    const std::vector<ProbedStream> streams = ProbeStreams(chosen("talk.mkv"));
    ASSERT_EQ(streams.size(), 1u);
    EXPECT_EQ(streams[0].codec, "h264");
}

TEST_F(AviSaveCommandTest, ATypedExtensionOfAFormatThatCannotHoldTheEncoderSaysWhichItTakes)
{
    SaveFrame(folder.files(), SlidePicture(120, 90, 0), 1);
    form.FrameCount = 3;
    selectEncoder("DIVX mpeg4");
    form.ComboBox2Change();
    save("talk.webm");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith("WebM files take 24-bit pictures of these encoders:"))
        << dialogs.messages[0].text.toStdString();
    EXPECT_TRUE(dialogs.messages[0].text.contains("VP90 libvpx-vp9"));
    EXPECT_FALSE(dialogs.messages[0].text.contains("DIVX"));
    EXPECT_FALSE(fs::exists(chosen("talk.webm")));
    EXPECT_EQ(form.videoformat->currentText(), "AVI");
    EXPECT_EQ(form.ComboBox2->currentText(), "DIVX mpeg4");
}

TEST_F(AviSaveCommandTest, AdvanceOpensTheSettingsOfEveryEncoderOfAFormatsList)
{
    ChooseFormat(form, "MP4");
    ASSERT_GT(form.ComboBox2->count(), 0);
    form.ComboBox2->setCurrentIndex(0); // no "No Compression" entry here: the first is an encoder
    form.ComboBox2Change();
    bool shown = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        shown = true;
        dialog->reject();
    });
    form.suiButton1->click();
    EXPECT_TRUE(shown) << form.ComboBox2->currentText().toStdString();
}

TEST_F(AviSaveCommandTest, AFailedWebmExportKeepsTheUsersFile)
{
    SaveFrame(folder.files(), SlidePicture(120, 90, 0), 1);
    form.FrameCount = 3;
    form.audioenable->setChecked(true);
    std::ofstream(folder.files().SoundFilePath()) << "no sound in here";
    std::ofstream(chosen("kept.webm")) << "precious";
    ChooseFormat(form, "WebM");
    dialogs.confirmations.push_back(true);
    EXPECT_THROW(save("kept.webm"), DeckrecError);
    std::ifstream kept(chosen("kept.webm"));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "precious");
    EXPECT_TRUE(form.suiButton5->isEnabled());
    EXPECT_TRUE(form.videoformat->isEnabled());
}

TEST_F(AviSaveCommandTest, CancelStopsTheExportAtOnceAndKeepsTheUsersFile)
{
    for (int slot = 1; slot <= 30; ++slot)
        SaveFrame(folder.files(), SlidePicture(120, 90, slot), slot);
    form.FrameCount = 30;
    form.show();
    for (const char* format : {"AVI", "MP4"}) {
        ChooseFormat(form, format);
        const std::string name = std::string("kept.") + (std::string(format) == "AVI" ? "avi" : "mp4");
        std::ofstream(chosen(name)) << "the old video";
        // The click comes through the export's own message processing, as a user's would.
        bool clicked = false;
        int highest = 0;
        const QMetaObject::Connection watch =
            QObject::connect(form.suiProgressBar1, &QProgressBar::valueChanged, [&](int value) {
                highest = std::max(highest, value);
                if (value >= 6 && !clicked) {
                    clicked = true;
                    EXPECT_TRUE(form.button_cancelavi->isEnabled()) << format;
                    QTimer::singleShot(0, form.button_cancelavi, &QPushButton::click);
                }
            });
        dialogs.confirmations.push_back(true);
        save(name);
        QObject::disconnect(watch);
        EXPECT_TRUE(clicked);
        EXPECT_LT(highest, 12) << format << ": stopped at once";
        EXPECT_TRUE(dialogs.messages.empty()) << "a cancel is no error";
        std::ifstream kept(chosen(name));
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "the old video");
        EXPECT_EQ(std::distance(fs::directory_iterator(folder.files().WorkingDirectory()), fs::directory_iterator()), 30)
            << "only the recording's frames";
        EXPECT_FALSE(form.button_cancelavi->isEnabled());
        EXPECT_TRUE(form.suiButton5->isEnabled());
    }
    // The next export runs to its end.
    ChooseFormat(form, "AVI");
    dialogs.confirmations.push_back(true);
    save("kept.avi");
    EXPECT_EQ(DecodeVideoFrames(chosen("kept.avi"), 120, 90).size(), 30u);
}

} // namespace
