// SPDX-License-Identifier: GPL-3.0-or-later
// The built program recording on the show's own clock: every slot of a timed one-second fade
// shows its own moment at any frame rate, two runs store the same pictures even on a loaded
// machine, an HD capture needs no screen of its size, and a run with sound renders the
// pictures of its live performance.
#include "core/frame_period.h"
#include "core/frame_store.h"
#include "core/picture.h"
#include "core/working_files.h"

#include "program_run.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <map>
#include <gtest/gtest.h>

namespace {

const QString kFadeDeck = DECKREC_TEST_DECKS "/timed-fade.fodp";
constexpr int kLatencyMs = 1500; // the click that starts the one-second fade to white
constexpr int kFadeMs = 1000;

int RunDeckrec(const QStringList& args, QString* err = nullptr)
{
    QProcess run;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY"); // a display of its own, 1024 x 768
    run.setProcessEnvironment(env);
    run.start(DECKREC_PROGRAM, args);
    if (!run.waitForFinished(240000))
        return -1;
    if (err)
        *err = QString::fromLocal8Bit(run.readAllStandardError());
    return run.exitStatus() == QProcess::NormalExit ? run.exitCode() : -1;
}

// The red of the middle of each slot's picture, a slot without a picture repeating the one
// before (the blue slide has none, the white one all).
std::vector<int> RedBySlot(const QString& folder, int frameCount)
{
    const WorkingFiles files(folder.toStdString(), folder.toStdString());
    std::vector<int> red;
    Picture picture;
    for (int slot = 1; slot <= frameCount; ++slot) {
        if (FrameExists(files, slot))
            LoadFrame(files, slot, picture);
        red.push_back(picture.width() ? picture.scanLine(picture.height() / 2)[3 * (picture.width() / 2) + 2] : -1);
    }
    return red;
}

// The two kept recordings store the same frame files, byte for byte; how many.
int ExpectSameFrames(const QString& one, const QString& two)
{
    const QStringList frames = QDir(one).entryList({"temp*.bmp"}, QDir::Files, QDir::Name);
    EXPECT_EQ(QDir(two).entryList({"temp*.bmp"}, QDir::Files, QDir::Name), frames);
    for (const QString& frame : frames)
        EXPECT_TRUE(Bytes(one + "/" + frame) == Bytes(two + "/" + frame)) << frame.toStdString();
    return static_cast<int>(frames.size());
}

// Each stream's codec type and duration in seconds, as ffprobe reads them.
std::map<QString, double> StreamDurations(const QString& file)
{
    QProcess probe;
    probe.start("ffprobe", {"-v", "error", "-show_entries", "stream=codec_type,duration", "-of", "csv=p=0", file});
    probe.waitForFinished(60000);
    std::map<QString, double> durations;
    for (const QString& line : QString::fromLatin1(probe.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts)) {
        const QStringList fields = line.trimmed().split(',');
        if (fields.size() == 2)
            durations[fields[0]] = fields[1].toDouble();
    }
    return durations;
}

} // namespace

TEST(ExactTime, EverySlotOfAFadeShowsItsOwnMomentAtEveryFrameRate)
{
    for (const double fps : {1000.0 / kDefaultFramePeriodMs, 30.0, 60.0}) {
        SCOPED_TRACE(fps);
        QTemporaryDir dir;
        const QString kept = dir.path() + "/kept";
        QStringList args = {"convert", kFadeDeck, "-o", dir.path() + "/fade.gif", "--latency",
                            QString::number(kLatencyMs), "--keep-recording", kept};
        if (fps != 1000.0 / kDefaultFramePeriodMs)
            args << "--fps" << QString::number(fps);
        QString err;
        ASSERT_EQ(RunDeckrec(args, &err), 0) << err.toStdString();
        const std::vector<int> red = RedBySlot(kept, FrameCountOf(kept));
        ASSERT_FALSE(red.empty());

        // Slot i is taken at i periods (the first at 0); the click comes at the first of them
        // that reaches the latency, and its slot shows the fade's first moment.
        const double period = FramePeriodOfRate(fps);
        const int clickSlot = static_cast<int>(std::ceil(kLatencyMs / period - 1e-9));
        const double oneSlot = 255.0 * period / kFadeMs;
        int distinct = 0;
        const int fadeSlots = static_cast<int>(kFadeMs / period);
        for (int slot = clickSlot; slot <= clickSlot + fadeSlots; ++slot) {
            ASSERT_LE(slot, static_cast<int>(red.size()));
            const double progress = std::clamp((slot - clickSlot) * period / kFadeMs, 0.0, 1.0);
            EXPECT_NEAR(red[slot - 1], 255.0 * progress, oneSlot + 2) << "slot " << slot;
            distinct += slot > clickSlot && red[slot - 1] != red[slot - 2];
        }
        // Smooth: about one new picture a slot (the show's engine draws at most 60 a second).
        EXPECT_GE(distinct, fps == 30.0 ? 27 : static_cast<int>(0.6 * fadeSlots)) << "distinct pictures";
    }
}

TEST(ExactTime, TwoRunsStoreTheSamePicturesAlsoOnALoadedMachineAndHdNeedsNoScreenOfItsSize)
{
    QTemporaryDir dir;
    const QString d = dir.path() + "/";
    const QStringList common = {"convert", kFadeDeck, "--latency", "700", "--fps", "30"};
    QString err;
    ASSERT_EQ(RunDeckrec(common + QStringList{"-o", d + "one.gif", "--keep-recording", d + "one"}, &err), 0)
        << err.toStdString();
    // Both cores busy while the second run records.
    QProcess load[2];
    for (QProcess& busy : load)
        busy.start("sh", {"-c", "while :; do :; done"});
    const int second = RunDeckrec(common + QStringList{"-o", d + "two.gif", "--keep-recording", d + "two"});
    for (QProcess& busy : load) {
        busy.kill();
        busy.waitForFinished();
    }
    ASSERT_EQ(second, 0);
    EXPECT_GT(ExpectSameFrames(d + "one", d + "two"), 20);

    // A 1920 x 1080 capture on the run's own 1024 x 768 screen, at its own size in an MP4.
    ASSERT_EQ(RunDeckrec({"convert", kFadeDeck, "--latency", "500", "--capture", "1920x1080", "--size", "original", "-o",
                          d + "hd.mp4"},
                         &err),
              0)
        << err.toStdString();
    QProcess probe;
    probe.start("ffprobe", {"-v", "error", "-select_streams", "v:0", "-show_entries", "stream=width,height", "-of",
                            "csv=p=0", d + "hd.mp4"});
    ASSERT_TRUE(probe.waitForFinished(60000));
    const QStringList size = QString::fromLatin1(probe.readAllStandardOutput()).trimmed().split(',');
    ASSERT_EQ(size.size(), 2);
    EXPECT_EQ(size[0].toInt(), 1920);
    EXPECT_EQ(size[1].toInt(), 1080) << "every row of the slide, which fills the capture's height";
}

// A spin (a rotation the export writes in a form the show's engine did not read) turns the
// rectangle between the first click and the second, and only the second click moves on to
// the next slide: the slide keeps its effects.
TEST(ExactTime, ASpinTurnsItsShapeAndKeepsItsSlidesClicks)
{
    QTemporaryDir dir;
    const QString kept = dir.path() + "/kept";
    QString err;
    ASSERT_EQ(RunDeckrec({"convert", DECKREC_TEST_DECKS "/spin.fodp", "-o", dir.path() + "/spin.gif", "--latency", "3000",
                          "--keep-recording", kept},
                         &err),
              0)
        << err.toStdString();
    QFile manifest(kept + "/recording.json");
    ASSERT_TRUE(manifest.open(QIODevice::ReadOnly));
    const QByteArray text = manifest.readAll();
    const int second = text.indexOf("\"slide\": 2");
    ASSERT_GE(second, 0);
    const int slot = text.mid(text.indexOf("\"slot\":", second) + 7).trimmed().split(',').first().toInt();
    const int slotsPerClick = static_cast<int>(3000 / kDefaultFramePeriodMs);
    EXPECT_GE(slot, 2 * slotsPerClick) << "the first click skipped the slide";
    const WorkingFiles files(kept.toStdString(), kept.toStdString());
    int turning = 0;
    for (int s = slotsPerClick + 1; s < 2 * slotsPerClick; ++s)
        turning += FrameExists(files, s);
    EXPECT_GE(turning, 5) << "the rectangle did not turn";
}

// With sound the show is played live on the wall clock, its actions logged in the kept
// recording, and its pictures rendered from the log on the show's own clock: the very frames a
// run without sound stores, in the same slots, and a sound track as long as the video.
TEST(ExactTime, WithSoundTheLivePerformanceGivesTheSameFramesAndSoundAsLongAsTheVideo)
{
    QTemporaryDir dir;
    const QString d = dir.path() + "/";
    const QStringList common = {"convert", kFadeDeck, "--latency", "700", "--fps", "30"};
    QString err;
    ASSERT_EQ(RunDeckrec(common + QStringList{"-o", d + "plain.gif", "--keep-recording", d + "plain"}, &err), 0)
        << err.toStdString();
    const QStringList withSound = {"--audio", "-o", d + "sound.mp4", "--keep-recording", d + "sound"};
    ASSERT_EQ(RunDeckrec(common + withSound, &err), 0) << err.toStdString();
    EXPECT_GT(ExpectSameFrames(d + "plain", d + "sound"), 20);

    // The log: each click at the slot the show's clock gave it, a latency apart, and the end
    // where the sound kept ends (on a whole ADPCM block), which the frames reach.
    const double period = FramePeriodOfRate(30);
    const int frameCount = FrameCountOf(d + "sound");
    const QJsonObject performance =
        QJsonDocument::fromJson(Bytes(d + "sound/recording.json")).object()["performance"].toObject();
    const QJsonArray actions = performance["actions"].toArray();
    ASSERT_GE(actions.size(), 3);
    for (qsizetype k = 0; k < actions.size(); ++k) {
        const QJsonObject action = actions[k].toObject();
        const long long ms = action["ms"].toInteger();
        EXPECT_EQ(action["action"].toString(), "next");
        EXPECT_EQ(ms, SlotsDurationMs(static_cast<long long>(std::ceil(700.0 * (k + 1) / period - 1e-9)), period))
            << "action " << k;
    }
    const long long endMs = performance["endMs"].toInteger();
    EXPECT_EQ(frameCount, static_cast<int>(std::ceil(static_cast<double>(endMs) / period - 1e-9))) << endMs << " ms";

    const std::map<QString, double> durations = StreamDurations(d + "sound.mp4");
    ASSERT_EQ(durations.count("audio"), 1u);
    ASSERT_EQ(durations.count("video"), 1u);
    EXPECT_NEAR(durations.at("video"), frameCount * period / 1000, 0.001);
    EXPECT_NEAR(durations.at("audio"), durations.at("video"), period / 1000) << "sound against video, in seconds";

    // A run killed while the show plays live keeps the actions logged up to then.
    QProcess killed;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    killed.setProcessEnvironment(env);
    killed.start(DECKREC_PROGRAM,
                 common + QStringList{"--audio", "-o", d + "killed.mp4", "--keep-recording", d + "killed"});
    ASSERT_TRUE(killed.waitForStarted());
    int logged = 0;
    for (int k = 0; k < 1200 && logged < 2 && killed.state() == QProcess::Running; ++k) {
        killed.waitForFinished(100);
        const QJsonObject manifest = QJsonDocument::fromJson(Bytes(d + "killed/recording.json")).object();
        logged = static_cast<int>(manifest["performance"].toObject()["actions"].toArray().size());
    }
    killed.kill();
    killed.waitForFinished();
    EXPECT_GE(logged, 2) << "two actions written down while the show played: "
                         << QString::fromLocal8Bit(killed.readAllStandardError()).toStdString();
    EXPECT_FALSE(QDir(d + "killed").entryList({"temp*.bmp"}, QDir::Files).size()) << "no frame taken live";
}
