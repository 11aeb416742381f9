// SPDX-License-Identifier: GPL-3.0-or-later
// A WebM the program writes plays to its end in a real browser engine (Qt WebEngine, under
// the test run's X display), with the length the recording had.
#include "video/container_export.h"
#include "avi_test_media.h"
#include "core/frame_store.h"
#include "platform/webengine/browser_environment.h"
#include "platform/ffmpeg/ffmpeg_encoder_facility.h"
#include "support/temp_program_folder.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <sndfile.h>

#include <fstream>
#include <gtest/gtest.h>

namespace {

// The page reports through its title: "ended <duration>", or "error <code>".
const char* const kPage = R"(<!DOCTYPE html>
<html><head><title>loading</title></head><body>
<video id="v" src="talk.webm" muted autoplay playsinline></video>
<script>
const v = document.getElementById('v');
v.addEventListener('ended', () => { document.title = 'ended ' + v.duration; });
v.addEventListener('error', () => { document.title = 'error ' + (v.error ? v.error.code : 0); });
v.play().catch(e => { document.title = 'error play ' + e.name; });
</script></body></html>
)";

QString WaitForTitle(QWebEngineView& view, int limitMs)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < limitMs) {
        const QString title = view.title();
        if (title.startsWith("ended") || title.startsWith("error"))
            return title;
        QEventLoop loop;
        QTimer::singleShot(50, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return view.title();
}

TEST(AviWebmPlayback, AWrittenWebmPlaysToItsEndInTheBrowserWithItsLength)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        GTEST_SKIP() << "needs an X display";
    PrepareBrowserEnvironment();

    TempProgramFolder folder;
    const int frameCount = 14;
    for (int slot = 1; slot <= frameCount; slot += 2) // every other slot repeats the one before
        SaveFrame(folder.files(), SlidePicture(160, 120, slot), slot);
    WriteToneWav(folder.files().SoundFilePath(), SF_FORMAT_IMA_ADPCM, 11025, 1, 2.5);

    FfmpegEncoderFacility facility;
    VideoFileOptions options;
    options.format = VideoFormat::WebM;
    options.encoderCode = "VP90";
    options.quality = 4000;
    options.size = {160, 120};
    options.soundFile = folder.files().SoundFilePath();
    options.target = folder.path() + "talk.webm";
    ExportContainerVideo(facility, folder.files(), frameCount, options, {});
    std::ofstream(folder.path() + "play.html") << kPage;

    QWebEngineProfile profile;
    QWebEnginePage page(&profile);
    page.settings()->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
    page.settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    QWebEngineView view;
    view.setPage(&page);
    view.resize(320, 240);
    view.show();
    view.load(QUrl::fromLocalFile(QString::fromStdString(folder.path() + "play.html")));

    const QString title = WaitForTitle(view, 60000);
    ASSERT_TRUE(title.startsWith("ended ")) << "title: " << title.toStdString();
    const double duration = title.mid(6).toDouble();
    EXPECT_NEAR(duration, frameCount * 0.150, 0.1);
    view.setPage(nullptr);
}

} // namespace
