// SPDX-License-Identifier: GPL-3.0-or-later
// The Start Record loop and its neighbours on the real windows, with fake screen, cursor,
// input and clock, so that the rules run in milliseconds and without X.
#include "core/deckrec_error.h"
#include "core/frame_store.h"
#include "ui/main_window.h"
#include "core/presentation_page.h"
#include "core/unfinished_session.h"
#include "core/working_files.h"
#include "platform/presentation_preparer.h"
#include "ui/application.h"
#include "ui/recorder_window.h"
#include "recorder_fakes.h"
#include "support/fake_dialogs.h"
#include "support/temp_program_folder.h"
#include "support/test_services.h"

#include <QCheckBox>
#include <QComboBox>
#include <QStandardItemModel>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QWindow>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

// Fake dialogs that also keep the parent each message was shown over.
class ParentRecordingDialogs : public FakeDialogs {
public:
    void message(QWidget* parent, const QString& text, const QString& caption, Icon icon) override
    {
        parents.push_back(parent);
        FakeDialogs::message(parent, text, caption, icon);
    }
    std::vector<QWidget*> parents;
};

class RecorderLoop : public ::testing::Test {
protected:
    void SetUp() override
    {
        form1 = std::make_unique<TForm1>(TestAppServices(&dialogs, folder.files()));
        form2 = std::make_unique<TForm2>(form1.get(), fakes.services());
        form1->setRecorder(form2.get());
        form1->audioenable->setChecked(false);
        form2->ShowRecorder();
        rect = form2->CaptureRect();
        fakes.screen->origin = {rect.left, rect.top};
        fakes.screen->content = SlidePicture(200, 100, 50);
        t0 = fakes.clock->now;
    }

    void CancelAtWait(int wait)
    {
        fakes.clock->onWait = [this, wait](int w) {
            if (w == wait)
                form2->button_cancel->click();
        };
    }

    void CustomRecord() { form1->suiRadioButton9->setChecked(true); }

    std::vector<int> StoredSlots(int upTo) const
    {
        std::vector<int> found;
        for (int n = 1; n <= upTo; ++n)
            if (FrameExists(folder.files(), n))
                found.push_back(n);
        return found;
    }

    TempProgramFolder folder;
    ParentRecordingDialogs dialogs;
    Fakes fakes;
    std::unique_ptr<TForm1> form1;
    std::unique_ptr<TForm2> form2;
    ScreenRect rect;
    uint32_t t0 = 0;
};

} // namespace

TEST_F(RecorderLoop, StoresOnlyChangedPicturesAndPreviewsEveryFifthSlot)
{
    CustomRecord();
    QStringList labels;
    fakes.clock->onWait = [&](int w) {
        labels << form2->Label1->text();
        if (w == 3)
            fakes.screen->content = SlidePicture(10, 220, 30);
        if (w == 7)
            form2->button_finished->click();
    };
    form2->button_startClick();

    EXPECT_EQ(form1->FrameCount, 7);
    EXPECT_EQ(StoredSlots(20), (std::vector<int>{1, 4}));
    Picture frame;
    LoadFrame(folder.files(), 4, frame);
    EXPECT_EQ(frame.scanLine(200)[1], 220);
    // Labels are read during the waits: each shows the pass before.
    ASSERT_GE(labels.size(), 7);
    EXPECT_EQ(labels[1], "1 Actions\r\n2 Frames\r\n0 Seconds");
    EXPECT_EQ(labels[6], "1 Actions\r\n7 Frames\r\n1 Seconds");
    EXPECT_EQ(form2->Label1->text(), "1 Actions\r\n8 Frames\r\n1 Seconds");
    // Slot 1 was previewed (stored, 1 mod 5); slot 4 was stored but not previewed.
    const QPixmap preview = form2->Image1->pixmap();
    ASSERT_FALSE(preview.isNull());
    EXPECT_EQ(preview.size(), QSize(156, 116));
    EXPECT_EQ(preview.toImage().pixelColor(70, 60), QColor(50, 100, 200));
    EXPECT_EQ(fakes.clock->waits, 7);
}

TEST_F(RecorderLoop, BlankPicturesAreNeverStored)
{
    CustomRecord();
    // Lit everywhere except the rows the blank test looks at (after the trim of 2 rows).
    Picture holey = SlidePicture(255, 255, 255);
    for (int y = 140; y < 370; ++y)
        std::fill_n(holey.scanLine(y), 3 * 595, 0);
    fakes.screen->content = holey;
    fakes.clock->onWait = [&](int w) {
        if (w == 2)
            fakes.screen->content = SlidePicture(255, 255, 255);
        if (w == 4)
            form2->button_cancel->click();
    };
    form2->button_startClick();
    EXPECT_EQ(StoredSlots(10), std::vector<int>{3});
}

TEST_F(RecorderLoop, BorderTrimRemovesBlackBarsOnceForTheSession)
{
    CustomRecord();
    for (const auto& [bar, expectedHeight] : {std::pair{10, 445}, std::pair{0, 463}}) {
        Picture barred = SlidePicture(255, 255, 255);
        for (int y = 0; y < bar; ++y) {
            std::fill_n(barred.scanLine(y), 3 * 595, 0);
            std::fill_n(barred.scanLine(465 - y), 3 * 595, 0);
        }
        barred.scanLine(std::max(bar, 1) + 1)[0] = 77; // the first row the trimmed picture keeps
        fakes.screen->content = barred;
        fakes.clock->waits = 0;
        CancelAtWait(2);
        form2->ShowRecorder();
        form2->button_startClick();
        Picture frame;
        LoadFrame(folder.files(), 1, frame);
        EXPECT_EQ(frame.width(), 595);
        EXPECT_EQ(frame.height(), expectedHeight) << "bar " << bar;
        EXPECT_EQ(frame.scanLine(0)[0], 77) << "bar " << bar;
    }
}

TEST_F(RecorderLoop, AutoRecordActsAtMultiplesOfTheLatencyAcrossATickWrap)
{
    form1->suiSpinEdit3->setValue(500);
    for (uint32_t start : {1000u, 0xFFFFFFFFu - 400u}) {
        fakes.clock->now = start;
        fakes.input->clickPoints.clear();
        fakes.input->events.clear();
        std::vector<uint32_t> actionTimes;
        fakes.input->onClick = [&] { actionTimes.push_back(fakes.clock->now - start); };
        fakes.clock->waits = 0;
        CancelAtWait(11);
        form2->ShowRecorder();
        form2->button_startClick();

        EXPECT_EQ(actionTimes, (std::vector<uint32_t>{600, 1050, 1500})) << "start " << start;
        EXPECT_EQ(form1->FrameCount, 11);
        EXPECT_EQ(form2->Label1->text(), "4 Actions\r\n12 Frames\r\n1 Seconds");
        // Each action clicks the frame centre and puts the pointer back.
        const QPoint centre = form2->BrowserFrameCentre();
        ASSERT_EQ(fakes.input->clickPoints.size(), 3u);
        EXPECT_EQ(fakes.input->clickPoints[0], centre);
        EXPECT_EQ(fakes.input->events.mid(0, 4),
            (QStringList{QStringLiteral("move %1,%2").arg(centre.x()).arg(centre.y()), "down", "up", "move 5,5"}));
        EXPECT_EQ(fakes.input->pointer, QPoint(5, 5));
    }
}

TEST_F(RecorderLoop, CustomRecordNeverActsByItself)
{
    CustomRecord();
    form1->suiSpinEdit3->setValue(500);
    CancelAtWait(30);
    form2->button_startClick();
    EXPECT_TRUE(fakes.input->clickPoints.empty());
    EXPECT_TRUE(form2->Label1->text().startsWith("1 Actions\r\n"));
}

TEST_F(RecorderLoop, BlackPresentationAreaEndsTheSessionAtTheNextAction)
{
    form1->suiSpinEdit3->setValue(500);
    form1->PageControl1->setCurrentIndex(2);
    fakes.clock->onWait = [&](int w) {
        if (w == 5)
            fakes.screen->content = Picture();
    };
    form2->button_startClick();

    // The action at 600 ms clicked; the one at 1050 ms found black and finished.
    EXPECT_EQ(fakes.input->clickPoints.size(), 1u);
    EXPECT_EQ(form1->FrameCount, 6);
    EXPECT_TRUE(form2->button_start->isEnabled());
    EXPECT_FALSE(form2->button_finished->isEnabled());
    EXPECT_FALSE(form2->isVisible());
    EXPECT_TRUE(form1->isVisible());
    EXPECT_EQ(form1->PageControl1->currentIndex(), 0);
    EXPECT_EQ(fakes.browser->navigations.last(), "about:blank");
}

TEST_F(RecorderLoop, CancelDuringAWaitReturnsAtOnceAndKeepsTheFrames)
{
    auto* saveAvi = form1->findChild<QPushButton*>("suiButton5");
    if (saveAvi)
        saveAvi->setEnabled(false);
    bool mainShownDuringWait = false;
    // While the session runs, the mark that lets a later start recover it should the program
    // die; a session that ended, cancelled or not, leaves none.
    const std::string mark = folder.files().WorkingDirectory() + kUnfinishedSessionMarkName;
    bool markedDuringSession = false;
    fakes.clock->onWait = [&](int w) {
        if (w == 2)
            markedDuringSession = std::filesystem::exists(mark);
        if (w == 3) {
            form2->button_cancel->click();
            mainShownDuringWait = form1->isVisible() && !form2->isVisible();
        }
    };
    form2->button_startClick();
    EXPECT_TRUE(mainShownDuringWait);
    EXPECT_EQ(form1->FrameCount, 3);
    EXPECT_TRUE(FrameExists(folder.files(), 1));
    EXPECT_EQ(fakes.clock->waits, 3);
    EXPECT_TRUE(markedDuringSession);
    EXPECT_FALSE(std::filesystem::exists(mark));
    if (saveAvi) {
        EXPECT_FALSE(saveAvi->isEnabled());
    }
}

TEST_F(RecorderLoop, StopsAfterSlot9999AndLeavesTheRecorderRecording)
{
    CustomRecord();
    fakes.screen->content = Picture(); // black: nothing to compare or store keeps it quick
    form2->button_startClick();
    EXPECT_EQ(form1->FrameCount, 9999);
    EXPECT_EQ(fakes.clock->waits, 9999);
    EXPECT_FALSE(form2->button_start->isEnabled());
    EXPECT_TRUE(form2->button_finished->isEnabled());
    EXPECT_TRUE(form2->button_cancel->isEnabled());
    EXPECT_TRUE(StoredSlots(10000).empty());
}

TEST_F(RecorderLoop, MovingThePointerAddsFramesOnlyWithCursorOn)
{
    CustomRecord();
    for (bool cursorOn : {true, false}) {
        std::filesystem::remove_all(folder.files().WorkingDirectory());
        form1->checkbox_cursor->setChecked(cursorOn);
        fakes.input->pointer = {rect.left + 100, rect.top + 200};
        fakes.clock->waits = 0;
        fakes.clock->onWait = [&](int w) {
            if (w == 2 || w == 3)
                fakes.input->pointer += QPoint(10, 0);
            if (w == 6)
                form2->button_cancel->click();
        };
        form2->button_startClick();
        EXPECT_EQ(StoredSlots(10), cursorOn ? (std::vector<int>{1, 3, 4}) : std::vector<int>{1}) << cursorOn;
    }
    // The cursor sits at the pointer, relative to the trimmed picture (2 rows trimmed).
    form1->checkbox_cursor->setChecked(true);
    fakes.input->pointer = {rect.left + 100, rect.top + 200};
    fakes.clock->waits = 0;
    CancelAtWait(1);
    form2->button_startClick();
    Picture frame;
    LoadFrame(folder.files(), 1, frame);
    const uint8_t* hot = frame.scanLine(200 - 2) + 3 * 100;
    EXPECT_EQ(hot[0] + hot[1] + hot[2], 3 * 255);
    EXPECT_EQ(frame.scanLine(200 - 2)[3 * 103], 200); // beyond the 3 x 3 cursor
}

TEST_F(RecorderLoop, AFrameThatCannotBeWrittenEndsTheHandlerWithItsError)
{
    CustomRecord();
    std::filesystem::remove_all(folder.files().WorkingDirectory());
    std::ofstream(folder.path() + "temp") << "not a folder";
    EXPECT_THROW(form2->button_startClick(), DeckrecError);
    EXPECT_EQ(form1->FrameCount, 1);
    EXPECT_FALSE(form2->button_start->isEnabled());
    EXPECT_TRUE(form2->button_finished->isEnabled());
}

TEST_F(RecorderLoop, RecordNowClearsOpensThePageAndSendsTheChordTwice)
{
    std::ofstream(folder.files().FrameFilePath(3)) << "old";
    form2->hide();
    form1->show();
    form1->recordernowClick();

    EXPECT_FALSE(FrameExists(folder.files(), 3));
    EXPECT_TRUE(form2->isVisible());
    EXPECT_FALSE(form1->isVisible());
    // Borderless, on top, over the whole screen.
    EXPECT_EQ(form2->geometry(), form2->screen()->geometry());
    EXPECT_TRUE(form2->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(form2->windowFlags() & Qt::WindowStaysOnTopHint);
    // Start Record waits for the show (StartRecordWaitsUntilTheViewerShowsSomething).
    EXPECT_FALSE(form2->button_start->isEnabled());
    EXPECT_FALSE(form2->button_finished->isEnabled());
    EXPECT_EQ(fakes.browser->navigations,
        (QStringList{"about:blank", QString::fromLocal8Bit(GeneratedPagePath(folder.files()).c_str())}));
    const QStringList chord{"Alt down", "O down", "O up", "Alt up"};
    EXPECT_EQ(fakes.input->events, chord);
    EXPECT_TRUE(form1->Timer1->isActive());
    form1->Timer1Timer();
    EXPECT_FALSE(form1->Timer1->isActive());
    EXPECT_EQ(fakes.input->events, chord + chord);
    // The working panel is centred in the window, truncating toward zero.
    EXPECT_EQ(form2->suiPanel2->pos(), QPoint((form2->width() - 825) / 2, (form2->height() - 537) / 2));
}

TEST_F(RecorderLoop, NextActionBeforeStartRecordFinishesOnABlackArea)
{
    form2->suiButton2Click();
    EXPECT_EQ(fakes.input->clickPoints.size(), 1u);
    EXPECT_TRUE(form2->isVisible());
    fakes.screen->content = Picture();
    form2->suiButton2Click();
    EXPECT_EQ(fakes.input->clickPoints.size(), 1u);
    EXPECT_FALSE(form2->isVisible());
    EXPECT_TRUE(form1->isVisible());
}

TEST_F(RecorderLoop, CaptionFollowsEveryCompletedNavigation)
{
    BrowserControl* browser = form2->WebBrowser1();
    emit browser->NavigateComplete2("deckrec-show:/decks/a.ppt#id2,2,Results");
    EXPECT_EQ(form2->title_caption->text(), "2,Results");
    emit browser->NavigateComplete2("about:blank");
    EXPECT_EQ(form2->title_caption->text(), "1,First page about:blank");
}

namespace {

// A front end that is not the Main window: settings it was given, and what it was told.
class ScriptedHost : public RecorderHost {
public:
    explicit ScriptedHost(WorkingFiles files)
        : files_(std::move(files))
    {
    }
    int LatencyMs() const override { return 600; }
    bool AutoRecord() const override { return true; }
    bool CursorOn() const override { return false; }
    bool AudioOn() const override { return true; }
    const WorkingFiles& Files() const override { return files_; }
    void SetFrameCount(int frameCount) override { this->frameCount = frameCount; }
    void StartSound(const std::string& path) override { sound << "start " + QString::fromStdString(path); }
    void StopSound() override { sound << "stop"; }
    void SessionEnded(bool kept) override { ended << kept; }
    CaptureSize RecordingCaptureSize() const override { return capture; }

    CaptureSize capture; // the classic 595 x 466 unless a case chooses another
    int frameCount = 0;
    QStringList sound;
    QList<bool> ended;

private:
    WorkingFiles files_;
};

} // namespace

TEST(RecorderHost, ARecordingRunsWithoutTheMainWindowAndEndsAtTheEndOfTheShow)
{
    TempProgramFolder folder;
    ScriptedHost host(folder.files());
    Fakes fakes;
    TForm2 recorder(&host, fakes.services());
    recorder.ShowRecorder();
    const ScreenRect rect = recorder.CaptureRect();
    fakes.screen->origin = {rect.left, rect.top};
    fakes.screen->content = SlidePicture(200, 100, 50);
    // The second automatic action finds the show's black end screen and ends the session.
    fakes.input->onClick = [&] { fakes.screen->content = Picture(); };

    recorder.button_startClick();

    EXPECT_TRUE(recorder.button_start->isEnabled());
    EXPECT_EQ(host.ended, QList<bool>{true});
    EXPECT_GE(host.frameCount, 600 / kDefaultFramePeriodMs);
    EXPECT_TRUE(FrameExists(folder.files(), 1));
    EXPECT_EQ(host.sound, (QStringList{"start " + QString::fromStdString(folder.files().SoundFilePath()), "stop"}));
    EXPECT_EQ(fakes.input->clickPoints.size(), 1u);
}

// The capture size chosen on the Open PPT page: the browser frame takes it, the controls move
// with it, and the session records pictures of that size and ends on the scaled end-of-show test.
TEST(RecorderHost, AnHdCaptureSizeLaysOutTheRecorderAroundItAndRecordsAtThatSize)
{
    TempProgramFolder folder;
    ScriptedHost host(folder.files());
    host.capture = {1280, 720};
    Fakes fakes;
    TForm2 recorder(&host, fakes.services());
    recorder.PrepareSession();
    recorder.ShowRecorder();
    const ScreenRect rect = recorder.CaptureRect();
    EXPECT_EQ(rect.width(), 1280);
    EXPECT_EQ(rect.height(), 720);
    EXPECT_EQ(recorder.browserArea->size(), QSize(1280 + 18, 720 + 11));
    // Nothing overlaps the browser frame, and everything stays inside the working panel.
    const QRect frame = recorder.Panel1->geometry();
    for (QWidget* right : {static_cast<QWidget*>(recorder.suiButton2), static_cast<QWidget*>(recorder.button_start),
                           static_cast<QWidget*>(recorder.button_finished), static_cast<QWidget*>(recorder.button_cancel),
                           static_cast<QWidget*>(recorder.Panel2), static_cast<QWidget*>(recorder.Label1)})
        EXPECT_GT(right->x(), frame.right()) << right->objectName().toStdString();
    EXPECT_GT(recorder.title_caption->y(), frame.bottom());
    for (QWidget* child : recorder.suiPanel2->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        EXPECT_TRUE(QRect(QPoint(0, 0), recorder.suiPanel2->size()).contains(child->geometry()))
            << child->objectName().toStdString();

    // A slide in the middle of the frame, out of reach of the classic sample rows and columns;
    // the first automatic action turns the frame black, the second finds it so and ends.
    Picture slide(1280, 720);
    for (int y = 380; y < 700; ++y)
        std::fill_n(slide.scanLine(y) + 3 * 520, 3 * 600, 0xc0);
    fakes.screen->origin = {rect.left, rect.top};
    fakes.screen->content = slide;
    fakes.input->onClick = [&] { fakes.screen->content = Picture(1280, 720); };
    recorder.button_startClick();

    EXPECT_EQ(host.ended, QList<bool>{true});
    const std::vector<int> stored = [&] {
        std::vector<int> found;
        for (int n = 1; n <= host.frameCount; ++n)
            if (FrameExists(folder.files(), n))
                found.push_back(n);
        return found;
    }();
    ASSERT_EQ(stored, std::vector<int>{1});
    Picture first;
    LoadFrame(folder.files(), 1, first);
    EXPECT_EQ(first.width(), 1280);
    // Trimmed at the scaled row 100 (row 155 of 720) at most.
    EXPECT_GE(first.height(), 720 - 2 * 156);
    EXPECT_LT(first.height(), 720);

    // Back to the classic size: the classic layout, pixel for pixel.
    host.capture = {};
    recorder.PrepareSession();
    EXPECT_EQ(recorder.suiPanel2->size(), QSize(825, 537));
    EXPECT_EQ(recorder.Panel1->geometry(), QRect(8, 24, 617, 481));
    EXPECT_EQ(recorder.browserArea->geometry(), QRect(2, 2, 613, 477));
    EXPECT_EQ(recorder.button_start->geometry(), QRect(672, 96, 113, 33));
    EXPECT_EQ(recorder.Panel2->geometry(), QRect(648, 224, 160, 120));
    EXPECT_EQ(recorder.Label1->pos(), QPoint(648, 368));
    EXPECT_EQ(recorder.title_caption->pos(), QPoint(8, 512));
    EXPECT_EQ(recorder.CaptureRect().width(), 595);
    EXPECT_EQ(recorder.CaptureRect().height(), 466);
}

TEST(OpenPptPage, CaptureSizesThatDoNotFitTheScreenAreOfferedDisabledWithTheReason)
{
    TForm1 form(TestAppServices());
    auto* sizes = form.findChild<QComboBox*>("capturesize");
    ASSERT_NE(sizes, nullptr);
    // On the page, clear of the other controls of the upper box.
    QWidget* page = sizes->parentWidget();
    EXPECT_LE(sizes->geometry().right(), 401);
    for (QWidget* other : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (other != sizes && other->objectName() != "upperBox") {
            EXPECT_FALSE(other->geometry().intersects(sizes->geometry())) << other->objectName().toStdString();
        }
    }
    EXPECT_EQ(form.RecordingCaptureSize(), (CaptureSize{595, 466}));

    QComboBox onFullHd;
    OfferCaptureSizes(&onFullHd, QSize(1920, 1080));
    ASSERT_EQ(onFullHd.count(), 3);
    EXPECT_EQ(onFullHd.itemText(0), "595 x 466");
    EXPECT_EQ(onFullHd.itemText(1), "1280 x 720");
    EXPECT_EQ(onFullHd.itemText(2), "1920 x 1080");
    const auto* model = qobject_cast<QStandardItemModel*>(onFullHd.model());
    EXPECT_TRUE(model->item(0)->isEnabled());
    EXPECT_TRUE(model->item(1)->isEnabled());
    EXPECT_FALSE(model->item(2)->isEnabled());
    EXPECT_TRUE(model->item(1)->toolTip().isEmpty());
    EXPECT_TRUE(model->item(2)->toolTip().contains("2150 x 1151")) << model->item(2)->toolTip().toStdString();
    EXPECT_TRUE(model->item(2)->toolTip().contains("1920 x 1080")) << model->item(2)->toolTip().toStdString();

    // The page's own list: a chosen size is what the Recorder gets, one that does not fit never.
    sizes->clear();
    OfferCaptureSizes(sizes, QSize(1920, 1080));
    sizes->setCurrentIndex(1);
    EXPECT_EQ(form.RecordingCaptureSize(), (CaptureSize{1280, 720}));
    sizes->setCurrentIndex(2);
    EXPECT_EQ(form.RecordingCaptureSize(), (CaptureSize{595, 466}));
}

TEST_F(RecorderLoop, OnThePresentationViewerOnlyItsEndScreenEndsTheShow)
{
    form1->suiSpinEdit3->setValue(500);
    form2->WebBrowser1();
    fakes.browser->setState(PageState::Slide);
    // Slide 2 starts black (its pictures come on a click), slide 3 fades in through black; only
    // the third click reaches the viewer's end screen.
    int clicks = 0;
    fakes.input->onClick = [&] {
        ++clicks;
        if (clicks == 1)
            fakes.screen->content = Picture();
        if (clicks == 3)
            fakes.browser->setState(PageState::EndScreen);
    };
    form2->button_startClick();

    EXPECT_EQ(clicks, 3);
    EXPECT_FALSE(form2->isVisible());
    EXPECT_TRUE(form1->isVisible());
    EXPECT_EQ(fakes.browser->navigations.last(), "about:blank");

    // The end screen is black: a lit picture while the viewer says "end" is not the end.
    fakes.browser->setState(PageState::EndScreen);
    fakes.screen->content = SlidePicture(200, 100, 50);
    form2->ShowRecorder();
    form2->suiButton2Click();
    EXPECT_TRUE(form2->isVisible());
    EXPECT_EQ(clicks, 4);
}

TEST_F(RecorderLoop, StartRecordWaitsUntilTheViewerShowsSomething)
{
    for (PageState shown : {PageState::Slide, PageState::CannotShow}) {
        form2->hide();
        form1->show();
        form1->recordernowClick();
        EXPECT_FALSE(form2->button_start->isEnabled());
        fakes.browser->setState(PageState::Loading);
        EXPECT_FALSE(form2->button_start->isEnabled());
        fakes.browser->setState(shown);
        EXPECT_TRUE(form2->button_start->isEnabled()) << static_cast<int>(shown);
    }
    // While recording, the viewer's news leaves Start Record alone.
    bool enabledWhileRecording = false;
    fakes.clock->onWait = [&](int w) {
        fakes.browser->setState(w == 1 ? PageState::Loading : PageState::Slide);
        enabledWhileRecording |= form2->button_start->isEnabled();
        if (w == 3)
            form2->button_cancel->click();
    };
    form2->button_startClick();
    EXPECT_FALSE(enabledWhileRecording);
    EXPECT_TRUE(form2->button_start->isEnabled()); // about:blank after Cancel
}

TEST_F(RecorderLoop, ClosingTheRecorderFromOutsideActsAsFinished)
{
    CustomRecord();
    form1->hide();
    form1->suiButton5->setEnabled(false);
    int lastWindowClosed = 0;
    QObject context;
    QObject::connect(qApp, &QGuiApplication::lastWindowClosed, &context, [&] { ++lastWindowClosed; });
    // The window manager's close, as Alt+F4 or a taskbar sends it, during the wait of pass 3.
    fakes.clock->onWait = [&](int w) {
        if (w == 3)
            form2->windowHandle()->close();
    };
    form2->button_startClick();

    EXPECT_EQ(fakes.clock->waits, 3);
    EXPECT_EQ(form1->FrameCount, 3);
    EXPECT_TRUE(FrameExists(folder.files(), 1));
    EXPECT_FALSE(form2->isVisible());
    EXPECT_TRUE(form1->isVisible());
    EXPECT_TRUE(form1->suiButton5->isEnabled());
    EXPECT_FALSE(form2->SessionActive());
    EXPECT_EQ(lastWindowClosed, 0);
    EXPECT_EQ(fakes.browser->navigations.last(), "about:blank");

    // Closed from outside before Start Record: the same, with nothing recorded.
    form1->recordernowClick();
    form2->windowHandle()->close();
    EXPECT_TRUE(form1->isVisible());
    EXPECT_EQ(lastWindowClosed, 0);
}

TEST_F(RecorderLoop, NoInputIsSentAfterTheSessionEnded)
{
    form1->suiSpinEdit3->setValue(500);
    // The wait of pass 6 ends at 1050 ms, when the second action falls due.
    for (QPushButton* ending : {form2->button_finished, form2->button_cancel}) {
        form2->ShowRecorder();
        fakes.input->clickPoints.clear();
        fakes.input->events.clear();
        fakes.clock->waits = 0;
        fakes.clock->onWait = [&](int w) {
            if (w == 6)
                ending->click();
        };
        form2->button_startClick();
        EXPECT_EQ(fakes.input->clickPoints.size(), 1u) << ending->objectName().toStdString();
        EXPECT_EQ(fakes.input->events.size(), 4) << fakes.input->events.join(" | ").toStdString();
        EXPECT_EQ(form1->FrameCount, 6);
    }
    // Timer1's second chord after a quick Cancel would go to another program.
    form1->recordernowClick();
    form2->button_cancel->click();
    fakes.input->events.clear();
    form1->Timer1Timer();
    EXPECT_TRUE(fakes.input->events.isEmpty()) << fakes.input->events.join(" | ").toStdString();
}

TEST_F(RecorderLoop, MessagesWhileTheRecorderIsUpOpenAboveIt)
{
    CustomRecord();
    form1->hide();
    // This program folder has no sound format templates: the sound device cannot start.
    form1->audioenable->setChecked(true);
    CancelAtWait(2);
    form2->button_startClick();
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].text, "Can not init sound device !");
    EXPECT_EQ(dialogs.parents[0], form2.get());
    // The sound is saved after Cancel has brought the Main window back.
    EXPECT_EQ(dialogs.messages[1].text, "Can not save sound file !");
    EXPECT_EQ(dialogs.parents[1], form1.get());

    // An error that escapes a handler while recording, such as a frame that cannot be written.
    form2->ShowRecorder();
    static_cast<DeckrecApplication*>(qApp)->ShowEscapedException("Cannot write the frame file.");
    ASSERT_EQ(dialogs.parents.size(), 3u);
    EXPECT_EQ(dialogs.parents[2], form2.get());
}

namespace {

class RecordingPreparer : public PresentationPreparer {
public:
    void Prepare(const QString& presentationPath) override { prepared << presentationPath; }
    QStringList prepared;
};

} // namespace

TEST(RecordNowPreparation, BrowseStartsTheConversionOfTheChosenDeck)
{
    TempProgramFolder folder;
    FakeDialogs dialogs;
    RecordingPreparer preparer;
    AppServices services = TestAppServices(&dialogs, folder.files());
    services.presentations = &preparer;
    TForm1 form(services);
    dialogs.fileNames.push_back("/decks/lecture 1.pptx");
    form.Button1->click();
    EXPECT_EQ(preparer.prepared, QStringList{"/decks/lecture 1.pptx"});
    // A cancelled dialog prepares nothing.
    form.Button1->click();
    EXPECT_EQ(preparer.prepared.size(), 1);
}
