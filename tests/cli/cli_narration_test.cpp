// SPDX-License-Identifier: GPL-3.0-or-later
// The built program narrating the narrated test deck, with recorded takes (tones of known
// lengths) and with a voice through --tts-command (a tone a sentence): each slide lasts its
// narration and the gap, a slide without one its latency; the chapters and the slides' first
// frames come where their narration starts, the click builds where the notes' markers fall in
// what is said, and the sound track holds each take where its slide starts. Takes that cannot
// be used stop the run before anything is written.
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
#include <gtest/gtest.h>

namespace {

const QString kDeck = DECKREC_TEST_DECKS "/narrated.fodp";
constexpr double kFps = 10;
constexpr double kPeriodMs = 1000.0 / kFps;
constexpr double kGapMs = 800;
constexpr double kLatencyMs = 1000;

Outcome RunDeckrec(const QStringList& args)
{
    auto* run = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY"); // a display of its own
    run->setProcessEnvironment(env);
    run->start(DECKREC_PROGRAM, args);
    return Finish(run, 240000);
}

// A WAVE file of a 440 Hz tone lasting ms (none at all for 0).
void WriteTone(const QString& path, int ms)
{
    QProcess sox;
    const QStringList sound = ms > 0 ? QStringList{"synth", QString::number(ms / 1000.0), "sine", "440"}
                                     : QStringList{"trim", "0", "0"};
    sox.start("sox", QStringList{"-n", "-r", "22050", "-c", "1", "-b", "16", path} + sound);
    ASSERT_TRUE(sox.waitForFinished(30000) && sox.exitCode() == 0) << path.toStdString();
}

// The stretches of sound of a sound file, [start, end) in ms, as FFmpeg's silence detector
// finds them (silence of quietMs ends one).
std::vector<std::pair<double, double>> SoundStretches(const QString& path, int quietMs)
{
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-v", "info", "-i", path, "-af", QString("silencedetect=n=-40dB:d=%1").arg(quietMs / 1000.0),
                            "-f", "null", "-"});
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

// The times a narrated recording in folder d ("talk.mp4" and "kept") was to keep, in ms: where
// each slide starts, where it ends, and where each build comes after the moment before it.
struct Expected {
    std::vector<double> startMs;
    double endMs = 0;
    std::vector<std::pair<double, double>> builds; // {the slide's start or the build before, the build}
};

// The video and its sound last the plan, within one frame; each chapter and each slide's first
// frame come at the slide's start, each build's first frame at its moment.
void ExpectTimes(const QString& d, const Expected& expected)
{
    QProcess ffprobe;
    ffprobe.start("ffprobe", {"-v", "error", "-show_chapters", "-show_streams", "-of", "json", d + "talk.mp4"});
    ffprobe.waitForFinished(60000);
    const QJsonObject probe = QJsonDocument::fromJson(ffprobe.readAllStandardOutput()).object();
    double videoMs = -1;
    double audioMs = -1;
    for (const QJsonValue& stream : probe["streams"].toArray())
        (stream["codec_type"].toString() == "video" ? videoMs : audioMs) = stream["duration"].toString().toDouble() * 1000;
    EXPECT_NEAR(videoMs, expected.endMs, kPeriodMs) << "video, ms";
    EXPECT_NEAR(audioMs, expected.endMs, kPeriodMs) << "sound, ms";
    std::printf("[ figures ] planned %.0f ms; video %.0f ms, sound %.0f ms\n", expected.endMs, videoMs, audioMs);

    const QJsonArray chapters = probe["chapters"].toArray();
    const QJsonArray marks = QJsonDocument::fromJson(Bytes(d + "kept/recording.json")).object()["slides"].toArray();
    ASSERT_EQ(chapters.size(), static_cast<qsizetype>(expected.startMs.size()));
    ASSERT_EQ(marks.size(), chapters.size());
    EXPECT_EQ(chapters[3]["tags"]["title"].toString(), QString::fromUtf8("Grüße"));
    for (qsizetype k = 0; k < chapters.size(); ++k) {
        const double start = chapters[k]["start_time"].toString().toDouble() * 1000;
        const int slot = marks[k]["slot"].toInt();
        EXPECT_NEAR(start, expected.startMs[k], kPeriodMs) << "chapter " << k + 1;
        EXPECT_LE(std::abs(slot - SlotOf(expected.startMs[k])), 1) << "slide " << k + 1 << " at slot " << slot;
        std::printf("[ figures ] slide %lld: planned %.0f ms, chapter %.0f ms, first frame at slot %d (%.0f ms)\n",
                    static_cast<long long>(k + 1), expected.startMs[k], start, slot, slot * kPeriodMs);
    }

    // Nothing changes on the slide between the moment before a build and the build.
    const WorkingFiles files((d + "kept").toStdString(), (d + "kept").toStdString());
    const int frameCount = FrameCountOf(d + "kept");
    for (const auto& [afterMs, buildMs] : expected.builds) {
        const int slot = FirstStoredFrom(files, SlotOf(afterMs) + 2, frameCount);
        EXPECT_LE(std::abs(slot - SlotOf(buildMs)), 1) << "build planned at " << buildMs << " ms";
        std::printf("[ figures ] build planned at %.0f ms: first frame at slot %d (%.0f ms)\n", buildMs, slot,
                    slot * kPeriodMs);
    }
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

    const Outcome run = RunDeckrec({"convert", kDeck, "--narration", d + "takes", "--latency", "1000", "--fps", "10",
                                    "-o", d + "talk.mp4", "-o", d + "talk.vtt", "--keep-recording", d + "kept"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("README.txt is left out")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("slide-03.wav lasts 0 seconds")) << run.err.toStdString();

    // Each take and the gap, the latency for slide 3; slide 2's builds at its markers' share of
    // the take (three sentences of one length: a third and two thirds), slide 5's one build
    // without a marker halfway through.
    Expected expected{{0}};
    for (size_t k = 0; k + 1 < takeMs.size(); ++k)
        expected.startMs.push_back(expected.startMs.back() + (takeMs[k] ? takeMs[k] + kGapMs : kLatencyMs));
    expected.endMs = expected.startMs.back() + takeMs.back() + kGapMs;
    const double third = expected.startMs[1] + takeMs[1] / 3.0;
    expected.builds = {{expected.startMs[1], third},
                       {third, third + takeMs[1] / 3.0},
                       {expected.startMs[4], expected.startMs[4] + takeMs[4] / 2.0}};
    ExpectTimes(d, expected);

    // The sound track: each take where its slide starts, as long as it is.
    const auto stretches = SoundStretches(d + "kept/_temp.wav", 20);
    const std::vector<size_t> taken = {0, 1, 3, 4};
    ASSERT_EQ(stretches.size(), taken.size());
    for (size_t k = 0; k < taken.size(); ++k) {
        EXPECT_NEAR(stretches[k].first, expected.startMs[taken[k]], 5) << "take of slide " << taken[k] + 1;
        EXPECT_NEAR(stretches[k].second - stretches[k].first, takeMs[taken[k]], 25) << "take of slide " << taken[k] + 1;
    }
    // The captions follow the take: slide 2's first sentence over its first third; an export of
    // the kept recording writes the same.
    const QString captions = QString::fromUtf8(Bytes(d + "talk.vtt"));
    EXPECT_TRUE(captions.contains("00:00:02.800 --> 00:00:03.800\nHere is part one.")) << captions.toStdString();
    ASSERT_EQ(RunDeckrec({"export", d + "kept", "-o", d + "again.vtt"}).status, 0);
    EXPECT_EQ(Bytes(d + "again.vtt"), Bytes(d + "talk.vtt"));
}

// A voice through --tts-command that says each sentence as a tone as long as its text: the
// sentences are found again in the sound track, and the slides, chapters and builds keep to them.
TEST(Narration, TheNotesReadAloudSetEachSlidesTimeAndTheBuildsComeAtTheirMarkers)
{
    QTemporaryDir dir;
    const QString d = dir.path() + "/";
    const QString voice = "sox -n -r 16000 -c 1 -b 16 {wav} synth $(wc -c | awk '{print $1 * 0.03}') sine 440";
    const Outcome run = RunDeckrec({"convert", kDeck, "--narrate", "--tts-command", voice, "--latency", "1000",
                                    "--fps", "10", "-o", d + "talk.mp4", "--keep-recording", d + "kept"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();

    // The sentences as heard (two, three, none, two and two a slide), and the pause the voice
    // leaves after each, which counts in its narration.
    const auto said = SoundStretches(d + "kept/_temp.wav", 150);
    ASSERT_EQ(said.size(), 9u);
    const double pause = said[1].first - said[0].second;
    const std::vector<std::pair<int, int>> sentences = {{0, 1}, {2, 4}, {-1, -1}, {5, 6}, {7, 8}};
    Expected expected{{0}};
    for (const auto& [first, last] : sentences) {
        const double length = first < 0 ? kLatencyMs : said[last].second - said[first].first + pause + kGapMs;
        if (first >= 0) {
            EXPECT_NEAR(said[first].first, expected.startMs.back(), kPeriodMs) << "narration of the slide at "
                                                                                << expected.startMs.back() << " ms";
        }
        expected.startMs.push_back(expected.startMs.back() + length);
    }
    expected.endMs = expected.startMs.back();
    expected.startMs.pop_back();
    const double fifth = expected.startMs[4];
    expected.builds = {{expected.startMs[1], said[3].first},
                       {said[3].first, said[4].first},
                       {fifth, fifth + (said[8].second - fifth + pause) / 2}};
    ExpectTimes(d, expected);
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
