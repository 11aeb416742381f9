// SPDX-License-Identifier: GPL-3.0-or-later
// The built program narrating the narrated test deck with recorded takes (tones of known
// lengths written by the test): each slide lasts its take and the gap, a slide without one its
// latency; the chapters start where the takes do, the click builds come where the notes' markers
// fall in the take, and the sound track holds each take where its slide starts. Takes that
// cannot be used stop the run before anything is written.
#include "core/frame_period.h"
#include "core/frame_store.h"
#include "core/working_files.h"

#include "program_run.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>

namespace {

const QString kDeck = DECKREC_TEST_DECKS "/narrated.fodp";
constexpr double kFps = 10;
constexpr double kPeriodMs = 1000.0 / kFps;
constexpr int kRate = 22050;

Outcome RunDeckrec(const QStringList& args)
{
    auto* run = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY"); // a display of its own
    run->setProcessEnvironment(env);
    run->start(DECKREC_PROGRAM, args);
    return Finish(run, 240000);
}

// A 16-bit mono WAVE file of a 440 Hz tone lasting ms.
void WriteTone(const QString& path, int ms)
{
    const uint32_t samples = static_cast<uint32_t>(static_cast<long long>(ms) * kRate / 1000);
    QByteArray data;
    for (uint32_t i = 0; i < samples; ++i) {
        const auto value = static_cast<int16_t>(std::lround(9000 * std::sin(2 * M_PI * 440.0 * i / kRate)));
        data.append(reinterpret_cast<const char*>(&value), 2);
    }
    const auto le = [](uint32_t v, int bytes) {
        QByteArray b;
        for (int k = 0; k < bytes; ++k)
            b.append(static_cast<char>((v >> (8 * k)) & 0xFF));
        return b;
    };
    QByteArray file = "RIFF" + le(36 + data.size(), 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(1, 2) + le(kRate, 4) +
                      le(kRate * 2, 4) + le(2, 2) + le(16, 2) + "data" + le(data.size(), 4) + data;
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(file);
}

// The stretches of sound of a sound file, [start, end) in ms, as FFmpeg's silence detector
// finds them (20 ms of silence ends one), and the file's length as the last stretch's end.
std::vector<std::pair<double, double>> SoundStretches(const QString& path)
{
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-v", "info", "-i", path, "-af", "silencedetect=n=-40dB:d=0.02", "-f", "null", "-"});
    ffmpeg.waitForFinished(60000);
    const QString log = QString::fromLatin1(ffmpeg.readAllStandardError());
    std::vector<std::pair<double, double>> stretches = {{0, 0}};
    static const QRegularExpression edge("silence_(start|end): ([0-9.]+)");
    for (auto match = edge.globalMatch(log); match.hasNext();) {
        const auto found = match.next();
        const double ms = found.captured(2).toDouble() * 1000;
        if (found.captured(1) == "start")
            stretches.back().second = ms;
        else
            stretches.emplace_back(ms, 0);
    }
    if (stretches.back().second == 0) // the silence detector's word on the end of the file
        stretches.pop_back();
    return stretches;
}

// The first slot from `from` on whose frame was stored (a change of picture); 0 when none.
int FirstStoredFrom(const WorkingFiles& files, int from, int frameCount)
{
    for (int slot = std::max(1, from); slot <= frameCount; ++slot)
        if (FrameExists(files, slot))
            return slot;
    return 0;
}

int SlotOf(double ms)
{
    return static_cast<int>(std::ceil(ms / kPeriodMs - 1e-9));
}

} // namespace

TEST(Narration, TakesSetEachSlidesTimeTheMarkersBuildsAndTheChapters)
{
    QTemporaryDir dir;
    const QString d = dir.path() + "/";
    QDir().mkpath(d + "takes");
    // Slide 3 has neither notes nor a usable take: it keeps the latency.
    const std::vector<int> takeMs = {2000, 3000, 0, 1500, 2500};
    for (size_t k = 0; k < takeMs.size(); ++k)
        WriteTone(d + QString("takes/slide-%1.wav").arg(k + 1, 2, 10, QChar('0')), takeMs[k]);
    QFile(d + "takes/README.txt").open(QIODevice::WriteOnly);
    constexpr double kGapMs = 800;
    constexpr double kLatencyMs = 1000;

    const Outcome run = RunDeckrec({"convert", kDeck, "--narration", d + "takes", "--latency", "1000", "--fps", "10",
                                    "--captions", "-o", d + "talk.mp4", "-o", d + "talk.vtt", "--keep-recording",
                                    d + "kept"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("README.txt is left out")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("slide-03.wav lasts 0 seconds")) << run.err.toStdString();

    // Where each slide starts by the takes' lengths, gaps and the latency.
    std::vector<double> startMs = {0};
    for (size_t k = 0; k + 1 < takeMs.size(); ++k)
        startMs.push_back(startMs.back() + (takeMs[k] ? takeMs[k] + kGapMs : kLatencyMs));
    const double endMs = startMs.back() + takeMs.back() + kGapMs;

    // The video's length, within one frame, and a sound track as long.
    const QJsonObject probe = QJsonDocument::fromJson([&] {
        QProcess p;
        p.start("ffprobe", {"-v", "error", "-show_chapters", "-show_streams", "-of", "json", d + "talk.mp4"});
        p.waitForFinished(60000);
        return p.readAllStandardOutput();
    }()).object();
    double videoMs = -1;
    double audioMs = -1;
    for (const QJsonValue& stream : probe["streams"].toArray())
        (stream["codec_type"].toString() == "video" ? videoMs : audioMs) = stream["duration"].toString().toDouble() * 1000;
    EXPECT_NEAR(videoMs, endMs, kPeriodMs) << "video, ms";
    EXPECT_NEAR(audioMs, endMs, kPeriodMs) << "sound, ms";
    std::printf("[ figures ] planned %.0f ms; video %.0f ms, sound %.0f ms\n", endMs, videoMs, audioMs);

    // Each chapter starts where its take starts.
    const QJsonArray chapters = probe["chapters"].toArray();
    ASSERT_EQ(chapters.size(), static_cast<qsizetype>(startMs.size()));
    for (qsizetype k = 0; k < chapters.size(); ++k) {
        const double start = chapters[k]["start_time"].toString().toDouble() * 1000;
        EXPECT_NEAR(start, startMs[k], kPeriodMs) << "chapter " << k + 1;
        std::printf("[ figures ] slide %lld: chapter at %.0f ms, planned %.0f ms\n", static_cast<long long>(k + 1),
                    start, startMs[k]);
    }
    EXPECT_EQ(chapters[3]["tags"]["title"].toString(), QString::fromUtf8("Grüße"));

    // The frames: each slide comes on at its start, each build at its marker's share of the take
    // (the plan's three equal sentences: a third and two thirds), the last slide's one build
    // without a marker halfway through its take.
    const QString kept = d + "kept";
    const int frameCount = FrameCountOf(kept);
    const QJsonArray marks = QJsonDocument::fromJson(Bytes(kept + "/recording.json")).object()["slides"].toArray();
    ASSERT_EQ(marks.size(), static_cast<qsizetype>(startMs.size()));
    for (qsizetype k = 0; k < marks.size(); ++k) {
        const int slot = marks[k]["slot"].toInt();
        EXPECT_LE(std::abs(slot - SlotOf(startMs[k])), 1) << "slide " << k + 1 << " at slot " << slot;
        std::printf("[ figures ] slide %lld: first frame at slot %d (%.0f ms)\n", static_cast<long long>(k + 1), slot,
                    slot * kPeriodMs);
    }
    const WorkingFiles files(kept.toStdString(), kept.toStdString());
    const std::vector<double> builds = {startMs[1] + takeMs[1] / 3.0, startMs[1] + takeMs[1] * 2 / 3.0,
                                        startMs[4] + takeMs[4] / 2.0};
    const std::vector<int> settled = {SlotOf(startMs[1]) + 3, SlotOf(builds[0]) + 2, SlotOf(startMs[4]) + 3};
    for (size_t k = 0; k < builds.size(); ++k) {
        const int slot = FirstStoredFrom(files, settled[k], frameCount);
        EXPECT_LE(std::abs(slot - SlotOf(builds[k])), 1) << "build " << k + 1 << " planned at " << builds[k] << " ms";
        std::printf("[ figures ] build %zu: frame at slot %d (%.0f ms), planned %.0f ms\n", k + 1, slot,
                    slot * kPeriodMs, builds[k]);
    }

    // The sound track: each take where its slide starts, as long as it is.
    const auto stretches = SoundStretches(kept + "/_temp.wav");
    const std::vector<size_t> taken = {0, 1, 3, 4};
    ASSERT_EQ(stretches.size(), taken.size()) << run.err.toStdString();
    for (size_t k = 0; k < taken.size(); ++k) {
        EXPECT_NEAR(stretches[k].first, startMs[taken[k]], 5) << "take of slide " << taken[k] + 1;
        EXPECT_NEAR(stretches[k].second - stretches[k].first, takeMs[taken[k]], 25) << "take of slide " << taken[k] + 1;
    }

    // The captions follow the take: slide 2's first sentence over its first third.
    const QString captions = QString::fromUtf8(Bytes(d + "talk.vtt"));
    EXPECT_TRUE(captions.contains("00:00:02.800 --> 00:00:03.800\nHere is part one.")) << captions.toStdString();
}

TEST(Narration, TakesThatCannotBeUsedStopTheRunBeforeAnythingIsWritten)
{
    QTemporaryDir dir;
    const QString d = dir.path() + "/";
    QDir().mkpath(d + "broken");
    QFile text(d + "broken/slide-02.wav");
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("Here is part one, as text\n");
    text.close();
    Outcome run = RunDeckrec({"convert", kDeck, "--narration", d + "broken", "-o", d + "broken.mp4"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("slide-02.wav")) << run.err.toStdString();
    EXPECT_FALSE(QFile::exists(d + "broken.mp4"));

    // Three seconds of recording cannot hold a five-second take.
    QDir().mkpath(d + "long");
    WriteTone(d + "long/slide-01.wav", 5000);
    run = RunDeckrec({"convert", kDeck, "--narration", d + "long", "--max-minutes", "0.05", "-o", d + "long.gif"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("slide 1 (its take slide-01.wav")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("a larger --max-minutes")) << run.err.toStdString();
    EXPECT_FALSE(QFile::exists(d + "long.gif"));
}
