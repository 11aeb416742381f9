// SPDX-License-Identifier: GPL-3.0-or-later
// The real program's windows under X: Browse the sample presentations, Record Now, Start Record
// with Auto Record, and let the end screen finish the session. Browse and the Recorder's browser
// share one converter, as in the program.
#include "recording_end_to_end_fixture.h"

void RecordingEndToEnd::AutoRecordToTheEnd(bool withSound)
{
    form1_->audioenable->setChecked(withSound);
    OpenSample();
    if (HasFatalFailure())
        return;
    form1_->radiobutton_autorecord->setChecked(true);
    form1_->suiSpinEdit3->setValue(1000);
    form1_->checkbox_cursor->setChecked(false);

    QStringList captions;
    QObject::connect(form2_->WebBrowser1(), &BrowserControl::NavigateComplete2, [&](const QString&) {
        captions << form2_->title_caption->text();
    });
    QElapsedTimer elapsed;
    elapsed.start();
    // Start Record runs its loop inside the click; the end screen finishes the session.
    QTimer::singleShot(0, form2_->button_start, &QPushButton::click);
    ASSERT_TRUE(WaitFor([&] { return form2_->button_start->isEnabled() && form1_->isVisible(); }, 30000));
    const double seconds = elapsed.elapsed() / 1000.0;

    const int frameCount = form1_->FrameCount;
    const std::vector<int> storedSlots = StoredSlots(files(), frameCount);
    // Slides 1, 2, the click animation of slide 2, slides 3 and 4; the end screen is black.
    ASSERT_EQ(storedSlots.size(), 5u) << "frames " << frameCount;
    EXPECT_EQ(storedSlots.front(), 1);
    Picture first;
    LoadFrame(files(), storedSlots.front(), first);
    for (int n : storedSlots) {
        Picture frame;
        LoadFrame(files(), n, frame);
        EXPECT_EQ(frame.width(), first.width());
        EXPECT_EQ(frame.height(), first.height());
    }
    // Five actions at 1 s, the last one on the end screen.
    EXPECT_NEAR(frameCount, seconds * 1000 / 150, 3);
    EXPECT_GE(frameCount, 5000 / 150);
    EXPECT_TRUE(captions.contains("2,Results")) << captions.join(" | ").toStdString();
    EXPECT_TRUE(captions.contains("4,Summary")) << captions.join(" | ").toStdString();

    // For a look at what was recorded: DECKREC_E2E_FRAMES names a folder for copies.
    if (const QString keep = qEnvironmentVariable("DECKREC_E2E_FRAMES"); !keep.isEmpty())
        for (int n : storedSlots)
            QFile::copy(QString::fromStdString(files().FrameFilePath(n)), keep + QStringLiteral("/temp%1.bmp").arg(n));

    // Slot timing for the record: how late each grab started after its due time (slot 1 is
    // taken at once and left out).
    std::vector<int> lateness(form2_->slotLateness().begin() + 1, form2_->slotLateness().end());
    ASSERT_FALSE(lateness.empty());
    std::sort(lateness.begin(), lateness.end());
    double sum = 0;
    for (int ms : lateness)
        sum += ms;
    std::printf("slots %d, frames stored %zu, trimmed size %dx%d, %.1f s; slot lateness ms: mean %.1f, "
                "median %d, 95%% %d, max %d\n",
        frameCount, storedSlots.size(), first.width(), first.height(), seconds, sum / lateness.size(),
        lateness[lateness.size() / 2], lateness[lateness.size() * 95 / 100], lateness.back());
}

TEST_F(RecordingEndToEnd, AutoRecordPlaysTheSampleToItsEndScreen)
{
    AutoRecordToTheEnd(true);
    // The sound of the session.
    EXPECT_TRUE(dialogs_.messages.empty()) << dialogs_.messages.front().text.toStdString();
    EXPECT_TRUE(QFileInfo(QString::fromStdString(files().SoundFilePath())).size() > 1000);
}

// Exact timing in the windows: the Recorder records the view's own rendering on the show's
// clock at the chosen frame rate, faster than the show plays, and the recording keeps its rate.
TEST_F(RecordingEndToEnd, ExactTimingRecordsTheSampleOnTheShowsClockAtItsFrameRate)
{
    form1_->audioenable->setChecked(false);
    form1_->radiobutton_autorecord->setChecked(true);
    ASSERT_TRUE(form1_->checkbox_exacttime->isEnabled());
    form1_->checkbox_exacttime->setChecked(true);
    form1_->framerate->setCurrentIndex(form1_->framerate->findText("30"));
    form1_->suiSpinEdit3->setValue(1000);
    OpenSample();
    if (HasFatalFailure())
        return;
    QElapsedTimer elapsed;
    elapsed.start();
    QTimer::singleShot(0, form2_->button_start, &QPushButton::click);
    ASSERT_TRUE(WaitFor([&] { return form2_->button_start->isEnabled() && form1_->isVisible(); }, 60000));
    const double wallMs = static_cast<double>(elapsed.elapsed());

    // Slides 1 and 2, the click on slide 2, slides 3 and 4, one action a second of show time.
    const int frameCount = form1_->FrameCount;
    EXPECT_EQ(StoredSlots(files(), frameCount).size(), 5u) << "frames " << frameCount;
    EXPECT_NEAR(form1_->RecordedPeriodMs, 1000.0 / 30, 1e-9);
    const double showMs = frameCount * form1_->RecordedPeriodMs;
    EXPECT_GE(showMs, 4000.0);
    EXPECT_LT(wallMs, showMs) << "exact timing runs faster than the show plays";
    form1_->checkbox_exacttime->setChecked(false);
}

// The whole way a user goes: record the sample with sound, then export the session as an AVI
// with its sound and as an animated GIF, each read back by an independent decoder.
TEST_F(RecordingEndToEnd, ARecordedSessionExportsToAviWithItsSoundAndToGif)
{
    AutoRecordToTheEnd(true);
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(dialogs_.messages.empty()) << dialogs_.messages.front().text.toStdString();
    const int frameCount = form1_->FrameCount;

    ASSERT_TRUE(WaitFor([&] { return form1_->ComboBox2->count() > 1; }, 10000)) << "encoder list";
    ASSERT_TRUE(form1_->suiButton5->isEnabled());
    const QString avi = folder_.filePath("session.avi");
    dialogs_.fileNames.push_back(avi);
    form1_->suiButton5->click();
    const QStringList aviStreams = ProbeStreams(avi);
    ASSERT_EQ(aviStreams.size(), 2) << aviStreams.join(" | ").toStdString();
    const QStringList video = aviStreams[0].split(',');
    const QStringList audio = aviStreams[1].split(',');
    // codec_name,codec_type,width,height,... in ffprobe's own order of the entries
    EXPECT_TRUE(video.contains("video")) << aviStreams[0].toStdString();
    EXPECT_TRUE(video.contains("560") && video.contains("420")) << aviStreams[0].toStdString();
    EXPECT_TRUE(video.contains(QString::number(frameCount))) << aviStreams[0].toStdString();
    EXPECT_TRUE(audio.contains("audio") && audio.contains("adpcm_ima_wav") && audio.contains("44100"))
        << aviStreams[1].toStdString();
    // The sound lasts as long as the pictures, give or take the moments of starting and stopping.
    QProcess decode;
    decode.start("ffmpeg", {"-v", "error", "-i", avi, "-map", "0:a", "-f", "s16le", "-ac", "1", "-ar", "44100", "-"});
    ASSERT_TRUE(decode.waitForFinished(60000));
    const double soundSeconds = decode.readAllStandardOutput().size() / 2.0 / 44100.0;
    EXPECT_NEAR(soundSeconds, frameCount * 0.15, 0.3);

    const QString gif = folder_.filePath("session.gif");
    dialogs_.fileNames.push_back(gif);
    form1_->Button7->click();
    const QStringList gifStreams = ProbeStreams(gif);
    ASSERT_EQ(gifStreams.size(), 1) << gifStreams.join(" | ").toStdString();
    const QStringList picture = gifStreams[0].split(',');
    EXPECT_TRUE(picture.contains("gif") && picture.contains("560") && picture.contains("420"))
        << gifStreams[0].toStdString();
    EXPECT_TRUE(dialogs_.messages.empty()) << dialogs_.messages.back().text.toStdString();
}

// An HD recording: the Recorder's browser frame takes 1280 x 720, the show is drawn at that size,
// and the 16:9 frames export at their own shape: the video at "Original size" 1280 wide, at the
// first zoom item 560 wide with the recording's shape, and the GIF as well.
TEST_F(RecordingEndToEnd, AnHdRecordingExportsAtItsOwnSizeAndShape)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize needed = TForm2::RecorderSizeFor({1280, 720});
    if (!screen || screen->geometry().width() < needed.width() || screen->geometry().height() < needed.height())
        GTEST_SKIP() << "the display is too small for a 1280 x 720 capture";
    form1_->capturesize->setCurrentIndex(1);
    ASSERT_EQ(form1_->RecordingCaptureSize(), (CaptureSize{1280, 720}));
    AutoRecordToTheEnd(false);
    if (HasFatalFailure())
        return;
    const ScreenRect capture = form2_->CaptureRect();
    EXPECT_EQ(capture.width(), 1280);
    EXPECT_EQ(capture.height(), 720);
    Picture first;
    LoadFrame(files(), 1, first);
    EXPECT_EQ(first.width(), 1280);
    EXPECT_GE(first.height(), 600); // a 4:3 slide fills the height, between black side bars
    // The slide is drawn over the large frame, its text crisp: many sharp edges (neighbours
    // far apart in colour), which a blurred or empty frame would not have.
    int sharpEdges = 0;
    for (int y = 0; y < first.height(); ++y)
        for (int x = 1; x < first.width(); ++x) {
            const uint8_t* px = first.scanLine(y) + 3 * x;
            sharpEdges += std::abs(px[0] - px[-3]) > 160;
        }
    EXPECT_GT(sharpEdges, 1000);

    form1_->show();
    // The lists show the recording's sizes.
    const int evenHeight = first.height() & ~1;
    EXPECT_EQ(form1_->suiComboBox1->itemText(5), QStringLiteral("Original size (1280x%1)").arg(evenHeight));
    const int ruleHeight = 2 * static_cast<int>(std::lround(560.0 * first.height() / first.width() / 2));
    EXPECT_EQ(form1_->suiComboBox2->itemText(0), QStringLiteral("560x%1").arg(ruleHeight));

    ASSERT_TRUE(WaitFor([&] { return form1_->ComboBox2->count() > 1; }, 10000)) << "encoder list";
    struct Export {
        int item;
        int width;
        int height;
    };
    for (const Export e : {Export{5, 1280, evenHeight}, Export{0, 560, ruleHeight}}) {
        const QString avi = folder_.filePath(QStringLiteral("hd-%1.avi").arg(e.item));
        form1_->suiComboBox1->setCurrentIndex(e.item);
        dialogs_.fileNames.push_back(avi);
        form1_->suiButton5->click();
        const QStringList streams = ProbeStreams(avi);
        ASSERT_EQ(streams.size(), 1) << streams.join(" | ").toStdString();
        const QStringList video = streams[0].split(',');
        EXPECT_TRUE(video.contains(QString::number(e.width)) && video.contains(QString::number(e.height)))
            << streams[0].toStdString() << " for item " << e.item;
    }

    // The HD recording as MP4 at its own size, the way it goes on a web page.
    const QString mp4 = folder_.filePath("hd.mp4");
    form1_->videoformat->setCurrentIndex(form1_->videoformat->findText("MP4"));
    form1_->videoformatChange();
    form1_->suiComboBox1->setCurrentIndex(5);
    dialogs_.fileNames.push_back(mp4);
    form1_->suiButton5->click();
    // Beside the video, the chapter per slide that MP4 keeps as a track of its own.
    QStringList mp4Streams = ProbeStreams(mp4);
    EXPECT_EQ(mp4Streams.size(), 2) << mp4Streams.join(" | ").toStdString();
    mp4Streams.removeIf([](const QString& stream) { return stream.startsWith("bin_data,data"); });
    ASSERT_EQ(mp4Streams.size(), 1) << mp4Streams.join(" | ").toStdString();
    const QStringList mp4Video = mp4Streams[0].split(',');
    EXPECT_TRUE(mp4Video.contains("h264") && mp4Video.contains("1280") && mp4Video.contains(QString::number(evenHeight)))
        << mp4Streams[0].toStdString();

    const QString gif = folder_.filePath("hd.gif");
    form1_->suiComboBox2->setCurrentIndex(0);
    dialogs_.fileNames.push_back(gif);
    form1_->Button7->click();
    const QStringList gifStreams = ProbeStreams(gif);
    ASSERT_EQ(gifStreams.size(), 1) << gifStreams.join(" | ").toStdString();
    const QStringList picture = gifStreams[0].split(',');
    EXPECT_TRUE(picture.contains("560") && picture.contains(QString::number(ruleHeight))) << gifStreams[0].toStdString();
    EXPECT_TRUE(dialogs_.messages.empty()) << dialogs_.messages.back().text.toStdString();
    form1_->capturesize->setCurrentIndex(0);
}

// A window manager delays and reorders what synthetic input does; the session must not care.
TEST_F(RecordingEndToEnd, AutoRecordUnderAWindowManager)
{
    if (QStandardPaths::findExecutable("openbox").isEmpty())
        GTEST_SKIP() << "openbox is not installed";
    QProcess windowManager;
    windowManager.start("openbox", {});
    ASSERT_TRUE(windowManager.waitForStarted(5000));
    Pause(1000);
    AutoRecordToTheEnd(false);
    windowManager.terminate();
    if (!windowManager.waitForFinished(5000))
        windowManager.kill();
}

TEST_F(RecordingEndToEnd, CursorOnAddsAFrameForEachPointerMove)
{
    OpenSample();
    if (HasFatalFailure())
        return;
    // Slide 1, then one frame per move (two moves may share a slot on a busy machine).
    const size_t withCursor = RecordWhilePointerMoves(true);
    EXPECT_GE(withCursor, 4u);
    EXPECT_LE(withCursor, 5u);
    form1_->recordernow->click();
    ASSERT_TRUE(WaitFor([&] { return form2_->title_caption->text() == "1,Deckrec Sample"; }, 30000));
    ASSERT_TRUE(WaitFor([&] { return form2_->button_start->isEnabled(); }, 10000));
    EXPECT_EQ(RecordWhilePointerMoves(false), 1u);
}

TEST_F(RecordingEndToEnd, APresentationThatCannotBeShownGivesItsReasonInTheFrame)
{
    const QString broken = folder_.filePath("broken deck.ppt");
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("this is not a presentation\n");
    file.close();
    dialogs_.fileNames.push_back(broken);
    form1_->Button1->click();
    form1_->recordernow->click();
    const QString frameUrl = "1,First page deckrec-show:" + QUrl::fromLocalFile(broken).path(QUrl::FullyEncoded);
    ASSERT_TRUE(WaitFor([&] { return form2_->title_caption->text() == frameUrl; }, 60000))
        << form2_->title_caption->text().toStdString();
    // The reason can be recorded too.
    EXPECT_TRUE(WaitFor([&] { return form2_->button_start->isEnabled(); }, 10000));
    Pause(500);

    // The message page: light grey with dark text, where the show would be.
    Picture shown;
    XGrab(shown, form2_->CaptureRect());
    int light = 0, dark = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x) {
            const uint8_t* px = shown.scanLine(y) + 3 * x;
            light += px[0] == 0xf2 && px[1] == 0xf2 && px[2] == 0xf2;
            dark += px[0] < 0x60 && px[1] < 0x60 && px[2] < 0x60;
        }
    EXPECT_GT(light, shown.width() * shown.height() / 2);
    EXPECT_GT(dark, 200);
    form2_->button_cancel->click();
    EXPECT_TRUE(form1_->isVisible());
}

namespace {

// Pixels of a stored frame within 40 of the colour (r, g, b) in every channel.
int PixelsNear(const Picture& frame, int r, int g, int b)
{
    int count = 0;
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x) {
            const uint8_t* px = frame.scanLine(y) + 3 * x;
            count += std::abs(px[2] - r) < 40 && std::abs(px[1] - g) < 40 && std::abs(px[0] - b) < 40;
        }
    return count;
}

QString DarkPresentation()
{
    return QFileInfo(DECKREC_SAMPLE_PRESENTATION).dir().filePath("deckrec-dark.ppt");
}

} // namespace

// A deck on black: slide 2 starts with its title only and fades its picture in on a click, slide
// 3 comes in through black. Only the viewer's end screen after slide 4 ends the session.
TEST_F(RecordingEndToEnd, TheDarkDeckRecordsToItsLastSlideAndEndsByItself)
{
    ASSERT_TRUE(QFileInfo::exists(DarkPresentation())) << "run scripts/make-sample.sh first";
    form1_->audioenable->setChecked(false);
    Open(DarkPresentation(), "1,Dark Sample");
    if (HasFatalFailure())
        return;
    form1_->radiobutton_autorecord->setChecked(true);
    form1_->suiSpinEdit3->setValue(1000);
    form1_->checkbox_cursor->setChecked(false);
    QStringList captions;
    QObject::connect(form2_->WebBrowser1(), &BrowserControl::NavigateComplete2, form2_.get(), [&](const QString&) {
        captions << form2_->title_caption->text();
    });

    QTimer::singleShot(0, form2_->button_start, &QPushButton::click);
    ASSERT_TRUE(WaitFor([&] { return form2_->button_start->isEnabled() && form1_->isVisible(); }, 40000))
        << captions.join(" | ").toStdString();

    EXPECT_TRUE(captions.contains("4,The End")) << captions.join(" | ").toStdString();
    // Five actions to the end screen and the sixth that finds it: about 6 s.
    const int frameCount = form1_->FrameCount;
    EXPECT_GE(frameCount, 6000 / 150 - 1);
    EXPECT_LE(frameCount, 9000 / 150);
    const std::vector<int> stored = StoredSlots(files(), frameCount);
    ASSERT_GE(stored.size(), 4u);
    bool pictureFadedIn = false;
    for (int n : stored) {
        Picture frame;
        LoadFrame(files(), n, frame);
        pictureFadedIn |= PixelsNear(frame, 0xff, 0x80, 0x00) > 10000;
    }
    EXPECT_TRUE(pictureFadedIn);
    // The last stored picture is slide 4 (the black end screen is never stored).
    Picture last;
    LoadFrame(files(), stored.back(), last);
    EXPECT_GT(PixelsNear(last, 0x00, 0xc0, 0x00), 10000);
    EXPECT_TRUE(dialogs_.messages.empty()) << dialogs_.messages.front().text.toStdString();
}

// The window manager's close (Alt+F4, a taskbar) while recording: the same as Finished.
TEST_F(RecordingEndToEnd, TheRecorderClosedFromOutsideBringsTheMainWindowBackWithTheFramesKept)
{
    form1_->audioenable->setChecked(true);
    OpenSample();
    if (HasFatalFailure())
        return;
    form1_->suiRadioButton9->setChecked(true);
    form1_->suiButton5->setEnabled(false);
    int lastWindowClosed = 0;
    QObject context;
    QObject::connect(qApp, &QGuiApplication::lastWindowClosed, &context, [&] { ++lastWindowClosed; });
    QTimer::singleShot(0, form2_->button_start, &QPushButton::click);
    QTimer::singleShot(1500, form2_.get(), [&] { form2_->windowHandle()->close(); });
    ASSERT_TRUE(WaitFor([&] { return form1_->isVisible() && !form2_->SessionActive(); }, 10000));

    EXPECT_FALSE(form2_->isVisible());
    EXPECT_EQ(lastWindowClosed, 0);
    EXPECT_TRUE(form1_->suiButton5->isEnabled());
    EXPECT_NEAR(form1_->FrameCount, 1500 / 150, 3);
    EXPECT_EQ(StoredSlots(files(), form1_->FrameCount), std::vector<int>{1});
    // The loop has stopped: nothing more is recorded.
    const int frameCount = form1_->FrameCount;
    Pause(500);
    EXPECT_EQ(form1_->FrameCount, frameCount);
    EXPECT_TRUE(QFileInfo(QString::fromStdString(files().SoundFilePath())).size() > 1000);
    EXPECT_TRUE(dialogs_.messages.empty()) << dialogs_.messages.front().text.toStdString();
}

// Browse starts the conversion: a user who takes a moment before Record Now finds the show
// there at once, converted by a single run of LibreOffice.
TEST_F(RecordingEndToEnd, RecordNowShowsAPreparedDeckAtOnce)
{
    // A file of its own, so that no earlier case has converted it.
    const QString deck = folder_.filePath("prepared deck.ppt");
    QFile::remove(deck);
    ASSERT_TRUE(QFile::copy(DECKREC_SAMPLE_PRESENTATION, deck));
    dialogs_.fileNames.push_back(deck);
    form1_->Button1->click();
    const QString cached = shows_->CachedShowPath(deck);
    ASSERT_TRUE(WaitFor([&] { return QFileInfo::exists(cached); }, 60000)) << "not converted at Browse";
    Pause(300); // the user's moment

    QElapsedTimer shown;
    shown.start();
    form1_->recordernow->click();
    ASSERT_TRUE(WaitFor([&] { return form2_->title_caption->text() == "1,Deckrec Sample" && form2_->button_start->isEnabled(); }, 30000));
    const qint64 ms = shown.elapsed();
    std::printf("Record Now to the first slide of a prepared deck: %lld ms\n", static_cast<long long>(ms));
    EXPECT_LT(ms, 1000);
    // The one converted show (beside it the deck as one flat file), and no second run left a
    // work folder.
    const QString name = QFileInfo(cached).completeBaseName();
    EXPECT_EQ(QDir(QFileInfo(cached).path()).entryList({name + ".svg", name + ".fodp"}, QDir::Files).size(), 2);
    EXPECT_TRUE(QDir(QFileInfo(cached).path()).entryList({"convert-*"}, QDir::Dirs).isEmpty());
    form2_->button_cancel->click();
}
