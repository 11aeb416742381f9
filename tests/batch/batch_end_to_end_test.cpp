// SPDX-License-Identifier: GPL-3.0-or-later
// The built program converting many decks as a user or a cluster job does: the sample decks
// with a broken deck and a missing one, the same batch again, Ctrl+C and a deck past its time
// limit, and eight conversions of one deck sharing LibreOffice's show.
#include "cli/program_run.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QUuid>
#include <gtest/gtest.h>

#include <csignal>

namespace {

const QString kSamples = DECKREC_SAMPLE_FOLDER;

// The program with a cache folder of the test's own (an empty show cache to begin with) and
// a mark in its environment that every process it starts inherits.
QProcess* Start(const QStringList& args, const QString& cache, const QString& mark = {},
                const QString& path = {})
{
    auto* process = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CACHE_HOME", cache);
    if (!mark.isEmpty())
        env.insert("DECKREC_TEST_MARK", mark);
    if (!path.isEmpty())
        env.insert("PATH", path + ":" + env.value("PATH"));
    process->setProcessEnvironment(env);
    process->start(DECKREC_PROGRAM, args);
    process->waitForStarted();
    return process;
}

QString Write(const QString& path, const QByteArray& content)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(content);
    return path;
}

std::vector<QJsonObject> Events(const QString& out)
{
    std::vector<QJsonObject> events;
    for (const QString& line : out.split('\n', Qt::SkipEmptyParts)) {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(line.toUtf8(), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << "not a JSON line: " << line.toStdString();
        events.push_back(document.object());
    }
    return events;
}

std::vector<QJsonObject> EventsOf(const std::vector<QJsonObject>& events, const QString& kind, const QString& name = {})
{
    std::vector<QJsonObject> found;
    for (const QJsonObject& event : events)
        if (event["event"].toString() == kind && (name.isEmpty() || event["name"].toString() == name))
            found.push_back(event);
    return found;
}

// ffprobe's "codec,width,height,frames" of the first video stream; empty when it cannot read it.
QString Probe(const QString& path)
{
    QProcess probe;
    probe.start("ffprobe", {"-v", "error", "-select_streams", "v:0", "-count_frames", "-show_entries",
                            "stream=codec_name,width,height,nb_read_frames", "-of", "csv=p=0", path});
    probe.waitForFinished(60000);
    return probe.exitCode() == 0 ? QString::fromLocal8Bit(probe.readAllStandardOutput()).trimmed() : QString();
}

// Files of a folder other than the logs: outputs and anything a conversion left beside them.
QStringList FilesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace

TEST(BatchEndToEnd, SampleDecksAreWrittenBrokenAndMissingReportedAndASecondRunSkipsEveryGoodDeck)
{
    QTemporaryDir dir;
    const QString d = dir.path() + "/";
    QDir().mkpath(d + "other");
    // A second deck of the sample's name, from another folder: the names must not collide.
    QFile::copy(kSamples + "/deckrec-sample.fodp", d + "other/deckrec-sample.fodp");
    Write(d + "broken.fodp", "<?xml version=\"1.0\"?><not-a-presentation/>\n");
    // The dark sample stays out: its show now and then stops drawing on the show clock, with or
    // without a batch ("did not draw its next moment"), which this test is not about.
    const QStringList samples = QDir(kSamples).entryList({"*.fodp"}, QDir::Files, QDir::Name).filter(QRegularExpression("^(?!deckrec-dark)"));
    ASSERT_GE(samples.size(), 2);
    QByteArray list = "# the repository's samples\n\n";
    for (const QString& sample : samples)
        list += (kSamples + "/" + sample).toUtf8() + "\n";
    list += "other/deckrec-sample.fodp\n   \nbroken.fodp\n# missing on purpose\nmissing.pptx\n";
    Write(d + "decks.txt", list);
    const QStringList args = {"batch", "--list", d + "decks.txt", "-O", d + "out", "--formats", "mp4,gif,chapters",
                              "--latency", "1000", "-j", "2"};

    const Outcome first = Finish(Start(args + QStringList{"--progress", "json"}, d + "cache"));
    EXPECT_EQ(first.status, 1) << first.err.toStdString();
    const std::vector<QJsonObject> events = Events(first.out);
    const int good = static_cast<int>(samples.size()) + 1;
    EXPECT_EQ(EventsOf(events, "done").size(), static_cast<size_t>(good)) << first.out.toStdString();
    const auto broken = EventsOf(events, "failed", "broken");
    ASSERT_EQ(broken.size(), 1u);
    EXPECT_TRUE(broken[0]["reason"].toString().contains("LibreOffice could not make a slide show"))
        << broken[0]["reason"].toString().toStdString();
    const auto missing = EventsOf(events, "failed", "missing");
    ASSERT_EQ(missing.size(), 1u);
    EXPECT_EQ(missing[0]["reason"].toString(), "no such file");
    const auto summary = EventsOf(events, "summary");
    ASSERT_EQ(summary.size(), 1u);
    EXPECT_EQ(events.back(), summary[0]) << "the summary comes last";
    EXPECT_EQ(summary[0]["done"].toInt(), good);
    EXPECT_EQ(summary[0]["failed"].toInt(), 2);
    EXPECT_EQ(summary[0]["failures"].toArray().size(), 2);
    EXPECT_EQ(EventsOf(events, "output").size(), static_cast<size_t>(3 * good));
    EXPECT_FALSE(EventsOf(events, "progress").empty());

    // Every good deck's outputs play; the two decks named alike got names of their own.
    QStringList expected;
    for (const QString& sample : samples)
        if (sample != "deckrec-sample.fodp")
            expected << QFileInfo(sample).completeBaseName();
    QStringList outputs = FilesIn(d + "out");
    EXPECT_EQ(outputs.size(), 3 * good) << outputs.join(' ').toStdString();
    EXPECT_EQ(outputs.filter(QRegularExpression("^deckrec-sample-[0-9a-f]{8}\\.mp4$")).size(), 2)
        << outputs.join(' ').toStdString();
    for (const QString& name : expected) {
        EXPECT_TRUE(Probe(d + "out/" + name + ".mp4").startsWith("h264,")) << name.toStdString();
        EXPECT_TRUE(Probe(d + "out/" + name + ".gif").startsWith("gif,560,")) << name.toStdString();
        EXPECT_TRUE(Bytes(d + "out/" + name + ".chapters.txt").startsWith("0:00 ")) << name.toStdString();
    }
    for (const QString& output : outputs.filter(QRegularExpression("\\.(mp4|gif)$")))
        EXPECT_FALSE(Probe(d + "out/" + output).isEmpty()) << output.toStdString();
    for (const QString& name : expected + QStringList{"broken", "missing"})
        EXPECT_TRUE(QFileInfo(d + "out/logs/" + name + ".log").size() > 0) << name.toStdString();
    EXPECT_TRUE(Bytes(d + "out/logs/broken.log").contains("LibreOffice could not make a slide show"));

    // Again: every good deck is up to date, nothing is written, the failures are reported again.
    const QStringList before = Listing(d + "out");
    const Outcome second = Finish(Start(args, d + "cache"));
    EXPECT_EQ(second.status, 1) << second.err.toStdString();
    EXPECT_TRUE(second.out.contains(QString("%1 decks: 0 converted, %2 skipped, 2 failed").arg(good + 2).arg(good)))
        << second.out.toStdString();
    EXPECT_TRUE(second.out.contains("failed: missing.pptx: no such file") ||
                second.out.contains("missing.pptx: no such file"))
        << second.out.toStdString();
    EXPECT_EQ(Listing(d + "out"), before);
}

TEST(BatchEndToEnd, CtrlCEndsWith130AndATimedOutDeckIsStoppedLeavingNoProcessOrHalfFile)
{
    QTemporaryDir dir;
    const QString d = dir.path() + "/";
    const QString mark = QUuid::createUuid().toString(QUuid::WithoutBraces);
    QProcess* run = Start({"batch", kSamples + "/deckrec-sample.fodp", kSamples + "/deckrec-photos.fodp", "-O",
                           d + "out", "--formats", "gif,mp4", "--realtime", "--latency", "3000", "--progress",
                           "json"},
                          d + "cache", mark);
    QByteArray out;
    while (!out.contains("Recording slide 2") && run->waitForReadyRead(120000))
        out += run->readAllStandardOutput();
    ASSERT_TRUE(out.contains("Recording slide 2")) << out.toStdString();
    ::kill(static_cast<pid_t>(run->processId()), SIGINT);
    const Outcome ended = Finish(run, 60000);
    EXPECT_EQ(ended.status, 130) << ended.err.toStdString();
    EXPECT_TRUE(ended.out.contains("\"interrupted\":true")) << ended.out.toStdString();
    EXPECT_EQ(FilesIn(d + "out"), QStringList()) << "an output or part file stayed";
    EXPECT_EQ(ProcessesLeft(mark), QStringList()) << "a display, LibreOffice or browser process outlived the batch";

    // A deck that takes longer than its time limit is stopped and reported; the batch ends on its own.
    const Outcome timed = Finish(Start({"batch", kSamples + "/deckrec-sample.fodp", "-O", d + "out", "--formats",
                                        "gif", "--realtime", "--latency", "3000", "--deck-timeout", "3"},
                                       d + "cache", mark),
                                 120000);
    EXPECT_EQ(timed.status, 1) << timed.err.toStdString();
    EXPECT_TRUE(timed.out.contains("did not finish within 3 s")) << timed.out.toStdString();
    EXPECT_EQ(FilesIn(d + "out"), QStringList());
    EXPECT_EQ(ProcessesLeft(mark), QStringList());
}

TEST(BatchEndToEnd, UsageErrorsAreRefusedBeforeAnyDeckRuns)
{
    QTemporaryDir dir;
    const QString d = dir.path() + "/";
    const QString deck = kSamples + "/deckrec-sample.fodp";
    const std::vector<std::pair<QStringList, QString>> cases = {
        {{deck}, "-O OUTDIR"},
        {{"-O", d + "out"}, "name the decks"},
        {{deck, "-O", d + "out", "-o", d + "x.gif"}, "names each deck's outputs itself"},
        {{deck, "-O", d + "out", "--formats", "mp4,png"}, "--formats takes"},
        {{deck, "-O", d + "out", "-j", "0"}, "-j takes"},
        {{deck, "-O", d + "out", "--latency", "5"}, "--latency takes"},
        {{"--list", d + "none.txt", "-O", d + "out"}, "cannot read the list file"},
        {{deck, "-O", d + "out", "--progress", "xml"}, "--progress takes"},
    };
    for (const auto& [args, message] : cases) {
        const Outcome run = Finish(Start(QStringList{"batch"} + args, d + "cache"));
        EXPECT_EQ(run.status, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(message)) << run.err.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(d + "out"));
    const Outcome help = Finish(Start({"batch", "--help"}, d + "cache"));
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains("available memory / 1.5 GB")) << help.out.toStdString();
    EXPECT_TRUE(help.out.contains("NAME-XXXXXXXX"));
}

// Eight conversions of one deck start at once with an empty cache: LibreOffice runs once, the
// others wait for its show and read it whole.
TEST(SharedShowCache, EightConversionsOfOneDeckAtOnceShareOneShow)
{
    QTemporaryDir dir;
    const QString d = dir.path() + "/";
    const QString soffice = QStandardPaths::findExecutable("soffice");
    ASSERT_FALSE(soffice.isEmpty());
    QDir().mkpath(d + "bin");
    // A stand-in that counts LibreOffice's runs and hands on to the real one.
    Write(d + "bin/soffice", ("#!/bin/sh\necho run >> '" + d + "runs'\nexec '" + soffice + "' \"$@\"\n").toUtf8());
    QFile::setPermissions(d + "bin/soffice", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::copy(kSamples + "/deckrec-sample.fodp", d + "deck.fodp");
    std::vector<QProcess*> runs;
    for (int i = 0; i < 8; ++i)
        runs.push_back(Start({"convert", d + "deck.fodp", "-o", d + QString("out%1.gif").arg(i), "--latency", "1000",
                              "--headless"},
                             d + "cache", {}, d + "bin"));
    for (int i = 0; i < 8; ++i) {
        const Outcome run = Finish(runs[static_cast<size_t>(i)]);
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
        EXPECT_EQ(Probe(d + QString("out%1.gif").arg(i)), "gif,560,420,5") << i;
    }
    EXPECT_EQ(Bytes(d + "runs").count("run"), 1) << "LibreOffice ran more than once for one deck";
    const QStringList kept = QDir(d + "cache/deckrec/shows").entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    ASSERT_EQ(kept.size(), 1) << kept.join(' ').toStdString() << ": a work folder or lock stayed";
    EXPECT_TRUE(kept[0].endsWith(".svg"));
    // Whole: the show, then the seal of its name and digest.
    const QByteArray show = Bytes(d + "cache/deckrec/shows/" + kept[0]);
    EXPECT_TRUE(show.contains("</svg>"));
    EXPECT_TRUE(show.trimmed().endsWith("-->") && show.contains("<!-- deckrec-seal " + kept[0].chopped(4).toUtf8()));
}
