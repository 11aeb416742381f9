// SPDX-License-Identifier: GPL-3.0-or-later
// The Save GIF page: its controls, Preview GIF, Save to GIF, their failures, and the
// playing preview.
#include "core/frame_store.h"
#include "ui/main_window.h"
#include "core/working_files.h"
#include "gif/gif_animation_builder.h"
#include "gif/gif_image.h"
#include "ui/gif_image_view.h"
#include "gif_oracle.h"
#include "gif_test_pictures.h"
#include "support/fake_dialogs.h"
#include "support/temp_program_folder.h"
#include "support/test_services.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <csignal>
#include <sys/resource.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

// Runs a button's click the way a real click runs: from the event loop, where an escaping
// error becomes an error box.
void ClickFromEventLoop(QPushButton* button)
{
    QMetaObject::invokeMethod(button, "click", Qt::QueuedConnection);
    QCoreApplication::processEvents();
}

bool WaitFor(const std::function<bool()>& condition, int ms = 3000)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return condition();
}

std::vector<uint8_t> PreviewBytes(TForm1& form)
{
    GifMemoryStream out;
    form.imageanimate->picture()->SaveToStream(out);
    return out.bytes;
}

std::unique_ptr<TGIFImage> QuickAnimation(int frames)
{
    auto image = std::make_unique<TGIFImage>();
    for (int i = 0; i < frames; ++i) {
        Picture p(8, 6, TPixelFormat::pf8bit);
        std::fill(p.bits(), p.bits() + p.byteCount(), static_cast<uint8_t>(i));
        p.palette() = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
        TGIFGraphicControlExtension* control = nullptr;
        AddGifFrame(*image, p, -1, &control);
        control->SetDelay(3);
    }
    return image;
}

std::string Contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> NamesIn(const std::string& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Files of this process may not grow beyond `bytes` while it lives, as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &old_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes; // the soft limit only, so that it can be raised again
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, previous_);
    }

private:
    rlimit old_{};
    void (*previous_)(int) = nullptr;
};

} // namespace

TEST(SaveGifPage, ControlsStartAsTheLayoutSays)
{
    TForm1 form(TestAppServices());
    auto* zoom = form.findChild<QComboBox*>("suiComboBox2");
    ASSERT_NE(zoom, nullptr);
    EXPECT_EQ(zoom->count(), 6);
    EXPECT_EQ(zoom->itemText(0), "560x420");
    EXPECT_EQ(zoom->itemText(4), "120x90");
    EXPECT_EQ(zoom->itemText(5), "Original size"); // last, so the listed items keep their indexes
    EXPECT_EQ(zoom->currentIndex(), 0);
    const std::vector<std::tuple<const char*, const char*, bool>> radios = {
        {"suiRadioButton2", "256Colors", true},     {"suiRadioButton5", "GrayScale", false},
        {"suiRadioButton7", "Smaller Size", true},  {"suiRadioButton8", "Best Quality", false},
        {"suiRadioButton3", "FloydSteinberg", false}, {"suiRadioButton4", "Nearest", true}};
    for (const auto& [name, caption, checked] : radios) {
        auto* radio = form.findChild<QRadioButton*>(name);
        ASSERT_NE(radio, nullptr) << name;
        EXPECT_EQ(radio->text(), caption);
        EXPECT_EQ(radio->isChecked(), checked) << name;
    }
    // The pairs are exclusive each on its own.
    form.suiRadioButton5->setChecked(true);
    EXPECT_FALSE(form.suiRadioButton2->isChecked());
    EXPECT_TRUE(form.suiRadioButton7->isChecked());
    EXPECT_TRUE(form.suiRadioButton4->isChecked());

    EXPECT_EQ(form.findChild<QPushButton*>("Button9")->text(), "Preview GIF");
    EXPECT_EQ(form.findChild<QPushButton*>("Button7")->text(), "Save to GIF");
    auto* bar = form.findChild<QProgressBar*>("suiProgressBar2");
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 100);
    EXPECT_EQ(bar->value(), 0);
    auto* scroll = form.findChild<QScrollArea*>("ScrollBox3");
    EXPECT_EQ(scroll->size(), QSize(393, 177));
    EXPECT_EQ(scroll->widget(), form.findChild<GifImageView*>("imageanimate"));
    EXPECT_EQ(form.imageanimate->picture(), nullptr);
    // Everything lies inside the page.
    for (QWidget* w : form.PageControl1->widget(2)->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        EXPECT_LE(w->geometry().right(), 416) << w->objectName().toStdString();
}

// The GIF keeps the recording's shape; the lists show the real sizes once they are known, and
// a 4:3 recording afterwards brings the listed sizes back exactly.
TEST(SaveGifPage, AWideRecordingSavesInItsOwnShapeAndTheListsShowTheRealSizes)
{
    TempProgramFolder folder;
    FakeDialogs dialogs;
    TForm1 form(TestAppServices(&dialogs, folder.files()));
    const auto save = [&](int item, const std::string& name) {
        form.suiComboBox2->setCurrentIndex(item);
        const std::string path = folder.path() + name;
        dialogs.fileNames.push_back(QString::fromStdString(path));
        form.Button7->click();
        const DecodedGif gif = DecodeGif(ReadFileBytes(path));
        EXPECT_TRUE(gif.ok) << gif.error;
        return std::make_pair(gif.width, gif.height);
    };
    for (int slot : {1, 3})
        SaveFrame(folder.files(), SlidePicture(595, 335, 30 * slot, 40, 0), slot);
    form.FrameCount = 4;
    EXPECT_EQ(save(0, "wide.gif"), std::make_pair(560, 316));
    EXPECT_EQ(save(5, "original.gif"), std::make_pair(595, 335));
    EXPECT_EQ(form.suiComboBox2->itemText(0), "560x316");
    EXPECT_EQ(form.suiComboBox2->itemText(4), "120x68");
    EXPECT_EQ(form.suiComboBox2->itemText(5), "Original size (595x335)");
    // The video list: the same shape, and even sides for "Original size".
    EXPECT_EQ(form.suiComboBox1->itemText(0), "560x316");
    EXPECT_EQ(form.suiComboBox1->itemText(5), "Original size (594x334)");
    EXPECT_EQ(form.suiComboBox1->count(), 6);

    // The next recording is 4:3: the listed sizes exactly, selection kept.
    form.FrameCount = 0;
    folder.files().ClearWorkingFiles();
    SaveFrame(folder.files(), SlidePicture(595, 448, 30, 40, 0), 2);
    form.FrameCount = 2;
    EXPECT_EQ(save(0, "classic.gif"), std::make_pair(560, 420));
    EXPECT_EQ(form.suiComboBox2->itemText(0), "560x420");
    EXPECT_EQ(form.suiComboBox2->itemText(5), "Original size (595x448)");
    EXPECT_EQ(form.suiComboBox2->currentIndex(), 0);
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages.front().text.toStdString();
}

TEST(SaveGifPage, WithoutFramesOnlyTheNoticeAppears)
{
    FakeDialogs dialogs;
    TForm1 form(TestAppServices(&dialogs));
    form.FrameCount = 0;
    form.Button9->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "No images selected.");
    EXPECT_EQ(form.suiProgressBar2->maximum(), 100);
    EXPECT_EQ(form.imageanimate->picture(), nullptr);

    dialogs.fileNames.push_back("/tmp/never-written-by-deckrec.gif");
    form.Button7->click();
    EXPECT_EQ(dialogs.messages.size(), 2u);
    EXPECT_FALSE(std::filesystem::exists("/tmp/never-written-by-deckrec.gif")) << "the preview was never filled";
}

TEST(SaveGifPage, PreviewThenSaveWritesTheAnimationJustBuilt)
{
    TempProgramFolder folder;
    FakeDialogs dialogs;
    TForm1 form(TestAppServices(&dialogs, folder.files()));
    for (int slot : {1, 2, 4})
        SaveFrame(folder.files(), SlidePicture(595, 466, 30 * slot, 40, 0), slot);
    form.FrameCount = 5;
    form.suiComboBox2->setCurrentIndex(4);
    form.suiRadioButton8->setChecked(true); // Best Quality

    form.Button9->click();
    EXPECT_TRUE(dialogs.messages.empty());
    ASSERT_NE(form.imageanimate->picture(), nullptr);
    EXPECT_EQ(form.imageanimate->picture()->Width(), 120);
    EXPECT_EQ(form.imageanimate->size(), QSize(120, 90));
    EXPECT_EQ(form.suiProgressBar2->maximum(), 4);
    EXPECT_EQ(form.suiProgressBar2->value(), 4);
    EXPECT_FALSE(form.imageanimate->shownImage().isNull());

    const std::string path = folder.path() + "out.gif";
    dialogs.fileNames.push_back(QString::fromStdString(path));
    form.Button7->click();
    EXPECT_EQ(dialogs.lastInitialName, "gif");
    EXPECT_TRUE(dialogs.lastFilter.contains("*.gif"));
    const std::vector<uint8_t> written = ReadFileBytes(path);
    EXPECT_EQ(written, PreviewBytes(form));
    const DecodedGif gif = DecodeGif(written);
    ASSERT_TRUE(gif.ok) << gif.error;
    std::vector<int> delays;
    for (const auto& f : gif.frames)
        delays.push_back(f.delay);
    EXPECT_EQ(delays, (std::vector<int>{15, 30, 30}));

    // Cancelling the dialog does nothing at all.
    std::filesystem::remove(path);
    form.Button7->click();
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(SaveGifPage, CorruptFrameShowsTheErrorAndKeepsThePreview)
{
    TempProgramFolder folder;
    FakeDialogs dialogs;
    TForm1 form(TestAppServices(&dialogs, folder.files()));
    SaveFrame(folder.files(), SlidePicture(300, 200, 10, 10), 1);
    SaveFrame(folder.files(), SlidePicture(300, 200, 50, 10), 2);
    form.FrameCount = 2;
    form.suiComboBox2->setCurrentIndex(4);
    form.Button9->click();
    TGIFImage* before = form.imageanimate->picture();
    ASSERT_NE(before, nullptr);
    const std::vector<uint8_t> shown = PreviewBytes(form);

    std::ofstream(folder.files().FrameFilePath(2), std::ios::binary | std::ios::trunc) << "corrupt";
    std::string expected;
    try {
        Picture p;
        LoadFrame(folder.files(), 2, p);
    } catch (const std::exception& e) {
        expected = e.what();
    }
    ClickFromEventLoop(form.Button9);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text.toStdString(), expected);
    EXPECT_EQ(dialogs.messages[0].icon, DialogService::Icon::Error);
    EXPECT_EQ(form.imageanimate->picture(), before);
    EXPECT_EQ(PreviewBytes(form), shown);

    const std::string path = folder.path() + "never.gif";
    dialogs.fileNames.push_back(QString::fromStdString(path));
    ClickFromEventLoop(form.Button7);
    EXPECT_EQ(dialogs.messages.size(), 2u);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(SaveGifPage, UnwritableOutputGivesItsError)
{
    TempProgramFolder folder;
    FakeDialogs dialogs;
    TForm1 form(TestAppServices(&dialogs, folder.files()));
    SaveFrame(folder.files(), SlidePicture(300, 200, 10, 10), 1);
    form.FrameCount = 1;
    form.suiComboBox2->setCurrentIndex(4);
    const std::string path = folder.path() + "missing-folder/out.gif";
    dialogs.fileNames.push_back(QString::fromStdString(path));
    ClickFromEventLoop(form.Button7);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text.toStdString(), "Cannot create file " + path);
    EXPECT_NE(form.imageanimate->picture(), nullptr); // the preview was built all the same
}

TEST(SaveGifPage, PreviewPlaysOnItsOwnThreadUntilReplacedOrHidden)
{
    TForm1 form(TestAppServices());
    form.PageControl1->setCurrentIndex(2);
    form.show();
    form.imageanimate->setPicture(QuickAnimation(3));
    EXPECT_TRUE(form.imageanimate->isPlaying());
    EXPECT_TRUE(WaitFor([&] { return form.imageanimate->framesShown() >= 5; })) << form.imageanimate->framesShown();
    const QImage shown = form.imageanimate->shownImage();
    EXPECT_EQ(shown.size(), QSize(8, 6));

    // A single frame is drawn once, without a thread.
    form.imageanimate->setPicture(QuickAnimation(1));
    EXPECT_FALSE(form.imageanimate->isPlaying());
    EXPECT_EQ(form.imageanimate->framesShown(), 1);
    EXPECT_EQ(form.imageanimate->shownImage().pixel(0, 0), 0xFFFF0000u);

    // Another page, or a closed window: nobody sees it, so it stops; it plays again when shown.
    form.imageanimate->setPicture(QuickAnimation(2));
    EXPECT_TRUE(form.imageanimate->isPlaying());
    form.PageControl1->setCurrentIndex(0);
    EXPECT_FALSE(form.imageanimate->isPlaying());
    form.PageControl1->setCurrentIndex(2);
    EXPECT_TRUE(form.imageanimate->isPlaying());
    form.hide();
    EXPECT_FALSE(form.imageanimate->isPlaying());
}

TEST(SaveGifPage, ABuildLocksThePageAndTheTabsAndAClosingWaitsForIt)
{
    TempProgramFolder folder;
    FakeDialogs dialogs;
    TForm1 form(TestAppServices(&dialogs, folder.files()));
    for (int slot = 1; slot <= 3; ++slot)
        SaveFrame(folder.files(), SlidePicture(300, 200, 40 * slot, 10), slot);
    form.FrameCount = 3;
    form.suiComboBox2->setCurrentIndex(4);
    form.suiRadioButton8->setChecked(true); // Best Quality: one frame per stored slot
    form.PageControl1->setCurrentIndex(2);
    form.show();
    const std::string out = folder.path() + "out.gif";
    const std::string nested = folder.path() + "nested.gif";
    dialogs.fileNames = {QString::fromStdString(out), QString::fromStdString(nested)};

    // Runs inside the build's message processing, where clicks and a close arrive.
    std::vector<QWidget*> locked = {form.Button9, form.Button7, form.suiComboBox2, form.suiRadioButton2,
                                    form.suiRadioButton7, form.suiRadioButton3, form.PageControl1->tabBar()};
    std::vector<bool> enabledDuring;
    bool stayedOpen = false;
    QTimer::singleShot(0, &form, [&] {
        for (QWidget* control : locked)
            enabledDuring.push_back(control->isEnabled());
        form.Button9Click(); // started in some way past the disabled buttons: refused
        form.Button7Click();
        form.suiButton5Click();
        form.close();
        stayedOpen = form.isVisible();
    });
    form.Button7->click();

    EXPECT_EQ(enabledDuring, std::vector<bool>(locked.size(), false));
    EXPECT_EQ(dialogs.fileNames.size(), 1u) << "no nested save asked for a name";
    EXPECT_FALSE(std::filesystem::exists(nested));
    EXPECT_TRUE(stayedOpen);
    const DecodedGif gif = DecodeGif(ReadFileBytes(out));
    ASSERT_TRUE(gif.ok) << gif.error;
    EXPECT_EQ(gif.frames.size(), 3u) << "every frame was read before the window closed";
    for (QWidget* control : locked)
        EXPECT_TRUE(control->isEnabled()) << control->objectName().toStdString();
    EXPECT_TRUE(dialogs.messages.empty());

    QCoreApplication::processEvents();
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(FrameExists(folder.files(), 1));
}

TEST(SaveGifPage, AFailedSaveKeepsTheOldFileAndLeavesNoPartialFile)
{
    TempProgramFolder folder;
    FakeDialogs dialogs;
    TForm1 form(TestAppServices(&dialogs, folder.files()));
    SaveFrame(folder.files(), SlidePicture(300, 200, 10, 10), 1);
    form.FrameCount = 1;
    form.suiComboBox2->setCurrentIndex(4);
    const std::string path = folder.path() + "talk.gif";
    std::ofstream(path) << "the old animation";

    dialogs.fileNames.push_back(QString::fromStdString(path));
    {
        FileSizeLimit diskFull(512); // less than the palette of the first frame
        ClickFromEventLoop(form.Button7);
    }
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "File too large");
    EXPECT_EQ(Contents(path), "the old animation");
    EXPECT_EQ(NamesIn(folder.path()), (std::vector<std::string>{"talk.gif", "temp"}));

    // A frame file as the target: refused before the build, the frame stays.
    dialogs.fileNames.push_back(QString::fromStdString(folder.files().FrameFilePath(1)));
    ClickFromEventLoop(form.Button7);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_TRUE(dialogs.messages[1].text.startsWith("Cannot save to ")) << dialogs.messages[1].text.toStdString();
    Picture frame;
    LoadFrame(folder.files(), 1, frame);
    EXPECT_EQ(frame.width(), 300);

    // Without the limit the same save replaces the old file.
    dialogs.fileNames.push_back(QString::fromStdString(path));
    form.Button7->click();
    EXPECT_TRUE(DecodeGif(ReadFileBytes(path)).ok);
    EXPECT_EQ(NamesIn(folder.path()), (std::vector<std::string>{"talk.gif", "temp"}));
}

TEST(SaveGifPage, SaveAfterASessionWithoutAStoredFrameWritesNothing)
{
    TempProgramFolder folder;
    FakeDialogs dialogs;
    TForm1 form(TestAppServices(&dialogs, folder.files()));
    SaveFrame(folder.files(), SlidePicture(300, 200, 10, 10), 1);
    form.FrameCount = 2;
    form.suiComboBox2->setCurrentIndex(4);
    form.Button9->click();
    ASSERT_NE(form.imageanimate->picture(), nullptr);

    // The next session: every slot blank, so no frame file at all.
    folder.files().ClearWorkingFiles();
    form.FrameCount = 5;
    const std::string path = folder.path() + "second.gif";
    dialogs.fileNames.push_back(QString::fromStdString(path));
    form.Button7->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "No images selected.");
    EXPECT_FALSE(std::filesystem::exists(path)) << "the first session's animation is not saved under the new name";

    form.FrameCount = 0;
    dialogs.fileNames.push_back(QString::fromStdString(path));
    form.Button7->click();
    EXPECT_EQ(dialogs.messages.size(), 2u);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(SaveGifPage, CancelStopsABuildOrASaveAndKeepsTheOldFile)
{
    TempProgramFolder folder;
    FakeDialogs dialogs;
    TForm1 form(TestAppServices(&dialogs, folder.files()));
    for (int slot = 1; slot <= 4; ++slot)
        SaveFrame(folder.files(), SlidePicture(300, 200, 40 * slot, 10), slot);
    form.FrameCount = 4;
    form.suiComboBox2->setCurrentIndex(4);
    form.suiRadioButton8->setChecked(true); // Best Quality: four frames to write
    auto* cancel = form.findChild<QPushButton*>("button_cancelgif");
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(cancel->text(), "Cancel");
    EXPECT_FALSE(cancel->isEnabled());
    const std::string path = folder.path() + "talk.gif";
    std::ofstream(path) << "the old animation";

    // During the build: clicked from the build's own message processing.
    bool enabledDuring = false;
    QTimer::singleShot(0, &form, [&] {
        enabledDuring = cancel->isEnabled();
        cancel->click();
    });
    dialogs.fileNames.push_back(QString::fromStdString(path));
    form.Button7->click();
    EXPECT_TRUE(enabledDuring);
    EXPECT_EQ(form.imageanimate->picture(), nullptr) << "the build stopped before the preview";

    // During the save: clicked when the bar shows the first frame written.
    std::vector<QString> formats;
    auto connection = QObject::connect(form.suiProgressBar2, &QProgressBar::valueChanged, [&](int) {
        formats.push_back(form.suiProgressBar2->format());
        if (form.suiProgressBar2->format().startsWith("Saving"))
            cancel->click();
    });
    dialogs.fileNames.push_back(QString::fromStdString(path));
    form.Button7->click();
    QObject::disconnect(connection);
    EXPECT_NE(form.imageanimate->picture(), nullptr);
    EXPECT_EQ(std::count(formats.begin(), formats.end(), "Saving... %p%"), 1) << "stopped after one frame";

    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(Contents(path), "the old animation");
    EXPECT_EQ(NamesIn(folder.path()), (std::vector<std::string>{"talk.gif", "temp"}));
    EXPECT_FALSE(cancel->isEnabled());
    EXPECT_TRUE(form.Button7->isEnabled());

    // Not cancelled, the same save replaces the file.
    dialogs.fileNames.push_back(QString::fromStdString(path));
    form.Button7->click();
    EXPECT_EQ(ReadFileBytes(path), PreviewBytes(form));
    EXPECT_EQ(NamesIn(folder.path()), (std::vector<std::string>{"talk.gif", "temp"}));
}
