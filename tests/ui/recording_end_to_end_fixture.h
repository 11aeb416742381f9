// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The real program's windows under X or Wayland with a program folder of their own: the Main
// window and the Recorder, sharing one converter as in the program, and the sample presentation
// opened in them. Shared by the end-to-end cases of the windows.
#include "core/frame_store.h"
#include "ui/main_window.h"
#include "core/working_files.h"
#include "platform/browser_control.h"
#include "platform/webengine/browser_environment.h"
#include "platform/fonts/font_resolver.h"
#include "show/presentation_converter.h"
#include "show/show_cache.h"
#include "platform/x11/x11_screen_grabber.h"
#include "platform/x11/xtest_input_injector.h"
#include "ui/real_services.h"
#include "ui/recorder_window.h"
#include "support/fake_dialogs.h"
#include "support/test_services.h"
#include "support/wait_for.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>

#ifndef DECKREC_SAMPLE_PRESENTATION
#error "DECKREC_SAMPLE_PRESENTATION names the converted sample presentation"
#endif


inline void Pause(int ms)
{
    WaitFor([] { return false; }, ms);
}

inline void XGrab(Picture& picture, const ScreenRect& rect)
{
    X11ScreenGrabber grabber;
    grabber.GrabScreen(picture, rect);
}

inline std::vector<int> StoredSlots(const WorkingFiles& files, int frameCount)
{
    std::vector<int> found;
    for (int n = 1; n <= frameCount; ++n)
        if (FrameExists(files, n))
            found.push_back(n);
    return found;
}

// What ffprobe reads of each stream: "type,codec,width,height,rate,frames" lines.
inline QStringList ProbeStreams(const QString& path)
{
    QProcess probe;
    probe.start("ffprobe", {"-v", "error", "-count_frames", "-show_entries",
                            "stream=codec_type,codec_name,width,height,sample_rate,nb_read_frames,duration",
                            "-of", "csv=p=0", path});
    if (!probe.waitForFinished(60000))
        return {};
    return QString::fromUtf8(probe.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

class RecordingEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
            GTEST_SKIP() << "needs an X or Wayland display";
        ASSERT_TRUE(QFileInfo::exists(DECKREC_SAMPLE_PRESENTATION)) << "run scripts/make-sample.sh first";
        PrepareBrowserEnvironment();
        // A program folder of its own with the real page template; the slide-show cache stays
        // in it across the cases of this executable.
        QDir().mkpath(folder_.filePath("temp"));
        QFile::copy(DECKREC_PAGE_TEMPLATE, folder_.filePath("main.htm"));
        // The sound format templates the build wrote into the program folder.
        for (const char* name : {"adpcm1.wav", "adpcm2.wav", "adpcm3.wav"})
            QFile::copy(QStringLiteral(DECKREC_BUILT_PROGRAM_DIR "/") + name, folder_.filePath(name));
        shows_ = std::make_unique<PresentationConverter>(QString::fromStdString(files().WorkingDirectory()) + "shows/",
                                                         ShowCache::DefaultLimitBytes(), FontResolver::Shared());
        AppServices services = TestAppServices(&dialogs_, files());
        services.presentations = shows_.get();
        form1_ = std::make_unique<TForm1>(services);
        form2_ = std::make_unique<TForm2>(form1_.get(), RealRecorderServices(files(), shows_.get()));
        form1_->setRecorder(form2_.get());
        form1_->show();
    }

    void TearDown() override
    {
        form2_.reset();
        form1_.reset();
        shows_.reset();
    }

    // Browse through the answered dialog, Record Now, and wait until slide 1 of the show can
    // be recorded.
    void Open(const QString& deck, const QString& firstCaption)
    {
        dialogs_.fileNames.push_back(deck);
        form1_->Button1->click();
        ASSERT_TRUE(form1_->recordernow->isEnabled());
        form1_->recordernow->click();
        ASSERT_TRUE(form2_->isVisible());
        // Not on the loading page: the border trim and the first frames would come from it.
        EXPECT_FALSE(form2_->button_start->isEnabled());
        ASSERT_TRUE(WaitFor([&] { return form2_->title_caption->text() == firstCaption; }, 60000))
            << "caption: " << form2_->title_caption->text().toStdString();
        ASSERT_TRUE(WaitFor([&] { return form2_->button_start->isEnabled(); }, 10000));
    }
    void OpenSample() { Open(DECKREC_SAMPLE_PRESENTATION, "1,Deckrec Sample"); }

    // Records in Custom Record mode while the pointer moves over the show; returns the number
    // of frame files.
    size_t RecordWhilePointerMoves(bool cursorOn)
    {
        form1_->audioenable->setChecked(false); // sound is checked by the Auto Record case
        form1_->suiRadioButton9->setChecked(true);
        form1_->checkbox_cursor->setChecked(cursorOn);
        const ScreenRect area = form2_->CaptureRect();
        auto pointer = std::make_shared<XTestInputInjector>();
        pointer->SetCursorPos({area.left + 100, area.top + 300});
        // Start Record's loop runs inside the click, so the moves and Finished come from
        // timers that fire during its waits.
        QTimer::singleShot(0, form2_->button_start, &QPushButton::click);
        for (int step = 1; step <= 4; ++step)
            QTimer::singleShot(400 * step, [pointer, area, step] {
                pointer->SetCursorPos({area.left + 100 + 40 * step, area.top + 300});
            });
        QTimer::singleShot(2000, form2_->button_finished, &QPushButton::click);
        EXPECT_TRUE(WaitFor([&] { return form2_->button_start->isEnabled() && form1_->isVisible(); }, 10000));
        return StoredSlots(files(), form1_->FrameCount).size();
    }

    static WorkingFiles files() { return WorkingFiles::InProgramFolder(folder_.path().toStdString()); }

    // with sound (the default) when withSound
    void AutoRecordToTheEnd(bool withSound);

    inline static QTemporaryDir folder_;
    std::unique_ptr<PresentationConverter> shows_;
    FakeDialogs dialogs_;
    std::unique_ptr<TForm1> form1_;
    std::unique_ptr<TForm2> form2_;
};
