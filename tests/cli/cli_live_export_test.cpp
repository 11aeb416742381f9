// SPDX-License-Identifier: GPL-3.0-or-later
// The built program exporting a recording with sound whose run was killed while the show
// played live: the pictures are drawn from the performance it logged, as long as the sound it
// kept, each slide change on its logged moment.
#include "core/frame_period.h"

#include "program_run.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cstdlib>
#include <map>
#include <gtest/gtest.h>

namespace {

constexpr int kLatencyMs = 800;
constexpr double kFps = 30;

QProcess* StartDeckrec(const QStringList& args)
{
    auto* run = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY"); // a display and a sound server of its own
    run->setProcessEnvironment(env);
    run->start(DECKREC_PROGRAM, args);
    return run;
}

QString Run(const QString& program, const QStringList& args)
{
    QProcess run;
    run.start(program, args);
    run.waitForFinished(120000);
    return QString::fromLatin1(run.readAllStandardOutput());
}

std::map<QString, double> StreamDurations(const QString& file)
{
    std::map<QString, double> durations;
    const QString probe = Run("ffprobe", {"-v", "error", "-show_entries", "stream=codec_type,duration", "-of", "csv=p=0", file});
    for (const QString& line : probe.split('\n', Qt::SkipEmptyParts)) {
        const QStringList fields = line.trimmed().split(',');
        if (fields.size() == 2)
            durations[fields[0]] = fields[1].toDouble();
    }
    return durations;
}

// The seconds of sound a WAVE file holds, as FFmpeg decodes it.
double DecodedSeconds(const QString& wav)
{
    QProcess run;
    run.start("ffmpeg", {"-v", "error", "-stats", "-i", wav, "-f", "null", "-"});
    run.waitForFinished(60000);
    const QString stats = QString::fromLatin1(run.readAllStandardError());
    const QRegularExpressionMatch time = QRegularExpression(R"(time=(\d+):(\d+):([\d.]+))").match(stats.split('\r').last());
    return time.captured(1).toDouble() * 3600 + time.captured(2).toDouble() * 60 + time.captured(3).toDouble();
}

// The video frames at which the picture changes (each slide of the deck has a colour of its own).
std::vector<int> PictureChanges(const QString& video)
{
    QProcess run;
    run.start("ffmpeg", {"-v", "error", "-i", video, "-vf", "scale=8:6", "-pix_fmt", "rgb24", "-f", "rawvideo", "-"});
    run.waitForFinished(120000);
    const QByteArray frames = run.readAllStandardOutput();
    constexpr int kFrameBytes = 8 * 6 * 3;
    std::vector<int> changes;
    for (qsizetype k = 1; k < frames.size() / kFrameBytes; ++k) {
        int difference = 0;
        for (qsizetype b = 0; b < kFrameBytes; ++b)
            difference += std::abs(static_cast<uint8_t>(frames[k * kFrameBytes + b]) -
                                   static_cast<uint8_t>(frames[(k - 1) * kFrameBytes + b]));
        if (difference > 40 * kFrameBytes)
            changes.push_back(static_cast<int>(k));
    }
    return changes;
}

} // namespace

TEST(LiveExport, ARunKilledWhileTheShowPlayedLiveExportsItsLoggedSlideChangesWithItsSound)
{
    QTemporaryDir dir;
    const QString d = dir.path() + "/";
    QProcess* live = StartDeckrec({"convert", DECKREC_COLOUR_DECK, "--audio", "--latency", QString::number(kLatencyMs),
                                   "--fps", QString::number(kFps), "-o", d + "never.mp4", "--keep-recording", d + "kept"});
    ASSERT_TRUE(live->waitForStarted());
    // Killed in the middle of the eight slides' play, once four actions are written down.
    QJsonArray actions;
    for (int k = 0; k < 1800 && actions.size() < 4 && live->state() == QProcess::Running; ++k) {
        live->waitForFinished(100);
        actions = QJsonDocument::fromJson(Bytes(d + "kept/recording.json")).object()["performance"].toObject()["actions"].toArray();
    }
    live->kill();
    const Outcome killed = Finish(live);
    ASSERT_GE(actions.size(), 4) << killed.err.toStdString();
    actions = QJsonDocument::fromJson(Bytes(d + "kept/recording.json")).object()["performance"].toObject()["actions"].toArray();
    const double soundSeconds = DecodedSeconds(d + "kept/_temp.wav");
    const QStringList kept = Listing(d + "kept");

    const Outcome exported = Finish(StartDeckrec({"export", d + "kept", "-o", d + "talk.mp4"}));
    ASSERT_EQ(exported.status, 0) << exported.err.toStdString();
    EXPECT_TRUE(exported.err.contains("was interrupted while its show played live")) << exported.err.toStdString();
    EXPECT_EQ(Listing(d + "kept"), kept) << "the kept recording is left as it was";

    const double period = FramePeriodOfRate(kFps);
    const std::map<QString, double> durations = StreamDurations(d + "talk.mp4");
    ASSERT_EQ(durations.count("video"), 1u);
    ASSERT_EQ(durations.count("audio"), 1u);
    // FFmpeg gives the decoded time to 10 ms; the video ends on the slot that reaches the end.
    EXPECT_NEAR(durations.at("video"), soundSeconds, period / 1000 + 0.011);
    EXPECT_NEAR(durations.at("audio"), soundSeconds, 0.02);

    // Each change on the first slot whose moment reaches its action (frame k is slot k + 1);
    // an action the kept sound does not reach was never heard, and is not played.
    std::vector<int> logged;
    for (const QJsonValue& action : actions) {
        const long long ms = action.toObject()["ms"].toInteger();
        int slot = 1;
        while (SlotsDurationMs(slot, period) < ms)
            ++slot;
        if (ms <= soundSeconds * 1000)
            logged.push_back(slot - 1);
    }
    EXPECT_GE(logged.size(), 3u);
    EXPECT_EQ(PictureChanges(d + "talk.mp4"), logged);
}
