// SPDX-License-Identifier: GPL-3.0-or-later
// The built program run as a user runs it: the sample deck converted under the test display
// and on private displays, a kept recording exported again, the fast mode against real time,
// the errors, and Ctrl+C.
#include "program_run.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QUuid>
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <set>

namespace {

QProcess* Start(const QStringList& args, bool desktop, const QString& mark = {})
{
    auto* process = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!desktop)
        env.remove("DISPLAY");
    if (!mark.isEmpty())
        env.insert("DECKREC_TEST_MARK", mark);
    process->setProcessEnvironment(env);
    process->start(DECKREC_PROGRAM, args);
    process->waitForStarted();
    return process;
}

Outcome Deckrec(const QStringList& args, bool desktop = true)
{
    return Finish(Start(args, desktop));
}

// The numbers N of the tempN.bmp files of a recording.
std::set<int> StoredSlots(const QString& folder)
{
    std::set<int> numbers;
    static const QRegularExpression frame("^temp(\\d+)\\.bmp$");
    for (const QString& name : QDir(folder).entryList(QDir::Files))
        if (const auto match = frame.match(name); match.hasMatch())
            numbers.insert(match.captured(1).toInt());
    return numbers;
}

const QString kDeck = DECKREC_SAMPLE_DECK;

} // namespace

TEST(CommandLineEndToEnd, OneRunWritesGifMp4AndAviAndItsKeptRecordingExportsTheSameGif)
{
    QTemporaryDir dir;
    const QString d = dir.path() + "/";
    const Outcome convert = Deckrec({"convert", kDeck, "--latency", "800", "-o", d + "s.gif", "-o", d + "s.mp4", "-o",
                                 d + "s.avi", "--keep-recording", d + "rec"});
    ASSERT_EQ(convert.status, 0) << convert.err.toStdString();
    EXPECT_TRUE(Bytes(d + "s.gif").startsWith("GIF89a"));
    EXPECT_EQ(Bytes(d + "s.mp4").mid(4, 4), "ftyp");
    EXPECT_EQ(Bytes(d + "s.avi").mid(8, 4), "AVI ");
    EXPECT_EQ(convert.out.count("\n"), 4) << "a line for the recording and one per output";
    // The deck has four slides: each gives at least one stored picture.
    EXPECT_GE(StoredSlots(d + "rec").size(), 4u);
    EXPECT_GT(FrameCountOf(d + "rec"), 20);
    EXPECT_FALSE(QFile::exists(d + "rec/main_go.htm"));

    const QStringList kept = Listing(d + "rec");
    const Outcome again = Deckrec({"export", d + "rec", "-o", d + "e.gif", "-o", d + "e.webm"}, false);
    ASSERT_EQ(again.status, 0) << again.err.toStdString();
    EXPECT_EQ(Bytes(d + "e.gif"), Bytes(d + "s.gif"));
    EXPECT_TRUE(Bytes(d + "e.webm").startsWith("\x1a\x45\xdf\xa3"));
    EXPECT_EQ(Listing(d + "rec"), kept);
}

TEST(CommandLineEndToEnd, WithoutADisplayRunsAtOnceAndFastKeepsTheSlotsOfRealTime)
{
    QTemporaryDir dir;
    const QString d = dir.path() + "/";
    const QString mark = QUuid::createUuid().toString(QUuid::WithoutBraces);
    // Two conversions at once, each on a display of its own: one in real time, one fast.
    QProcess* real = Start({"convert", kDeck, "--latency", "1500", "-o", d + "r.gif", "--keep-recording", d + "real"},
                           false, mark);
    QProcess* fast = Start({"convert", kDeck, "--latency", "1500", "--fast", "-o", d + "f.gif", "--keep-recording",
                            d + "fast"},
                           false, mark);
    const Outcome fastRun = Finish(fast);
    const Outcome realRun = Finish(real);
    ASSERT_EQ(realRun.status, 0) << realRun.err.toStdString();
    ASSERT_EQ(fastRun.status, 0) << fastRun.err.toStdString();
    EXPECT_TRUE(Bytes(d + "r.gif").startsWith("GIF89a"));
    EXPECT_TRUE(Bytes(d + "f.gif").startsWith("GIF89a"));
    EXPECT_EQ(ProcessesLeft(mark), QStringList()) << "a display, sound or LibreOffice process outlived its run";

    // The first stored slot after each action within one slot of real time.
    const std::set<int> realSlots = StoredSlots(d + "real");
    const std::set<int> fastSlots = StoredSlots(d + "fast");
    ASSERT_EQ(realSlots.size(), fastSlots.size());
    for (auto r = realSlots.begin(), f = fastSlots.begin(); r != realSlots.end(); ++r, ++f)
        EXPECT_LE(std::abs(*r - *f), 1) << "real " << *r << ", fast " << *f;
    EXPECT_LE(std::abs(FrameCountOf(d + "real") - FrameCountOf(d + "fast")), 1);
}

TEST(CommandLineEndToEnd, EveryErrorGivesItsLineAndStatusAndNoOutput)
{
    QTemporaryDir dir;
    const QString d = dir.path() + "/";
    QFile bad(d + "broken.ppt");
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("this is no presentation");
    bad.close();
    QFile(d + "file").open(QIODevice::WriteOnly);
    QFile(d + "empty.pptx").open(QIODevice::WriteOnly);

    struct Case {
        QStringList args;
        int status;
        QString message;
    };
    const QString out = d + "out.gif";
    const std::vector<Case> cases = {
        {{"convert", d + "missing.odp", "-o", out}, 1, "no such file"},
        {{"convert", kDeck, "-o", d + "nofolder/out.gif"}, 1, "does not exist"},
        {{"convert", kDeck, "-o", d + "file/out.gif"}, 1, "does not exist"},
        {{"convert", kDeck, "-o", d + "out.mov"}, 2, "outputs are .gif"},
        {{"convert", kDeck, "-o", out, "--frobnicate"}, 2, "unknown option --frobnicate"},
        {{"convert", kDeck, "-o", d + "out.webm", "--encoder", "DIVX"}, 2, "do not hold DIVX"},
        {{"convert", kDeck, "-o", d + "out.mp4", "--bits", "8"}, 2, "24-bit pictures only"},
        {{"convert", kDeck, "-o", out, "--fast", "--audio"}, 2, "--fast cannot record sound"},
        {{"convert", kDeck, "-o", out, "--keep-recording", d + "file"}, 1, "not a folder"},
        {{"export", d + "norec", "-o", out}, 1, "holds no kept recording"},
        {{"convert", d + "broken.ppt", "-o", out, "--latency", "500"}, 1, "cannot show"},
        {{"convert", d + "empty.pptx", "-o", out, "--latency", "500"},
         1,
         "empty.pptx: It shows no content: LibreOffice could not read it as a presentation"},
        {{"convert", "-o", out, "--", d + "-dash.fodp"}, 1, "-dash.fodp: no such file"},
    };
    QDir().mkpath(d + "norec"); // a folder, and no recording in it
    for (const Case& c : cases) {
        const Outcome run = Deckrec(c.args, false);
        EXPECT_EQ(run.status, c.status) << c.args.join(' ').toStdString() << "\n" << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(c.message)) << run.err.toStdString();
        if (c.status == 2) {
            EXPECT_TRUE(run.err.contains("deckrec export RECORDING_DIR")) << "the usage lines follow\n"
                                                                           << run.err.toStdString();
        }
        EXPECT_FALSE(QFile::exists(out) || QFile::exists(d + "out.webm") || QFile::exists(d + "out.mp4"));
    }
}

TEST(CommandLineEndToEnd, CtrlCEndsTheRunWith130AndLeavesNoServerOrFileBehind)
{
    QTemporaryDir dir;
    const QString mark = QUuid::createUuid().toString(QUuid::WithoutBraces);
    QProcess* run = Start({"convert", kDeck, "--audio", "--latency", "3000", "-o", dir.path() + "/x.gif"}, false, mark);
    run->setReadChannel(QProcess::StandardError);
    QByteArray err;
    while (!err.contains("Recording slide") && run->waitForReadyRead(60000))
        err += run->readAllStandardError();
    ASSERT_TRUE(err.contains("Recording slide")) << err.toStdString();
    ::kill(static_cast<pid_t>(run->processId()), SIGINT);
    const Outcome ended = Finish(run, 30000);
    EXPECT_EQ(ended.status, 130) << ended.err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.path() + "/x.gif"));
    EXPECT_EQ(ProcessesLeft(mark), QStringList()) << "a display, sound or LibreOffice process outlived its run";
}

TEST(CommandLineEndToEndDiskFull, AFullCacheDiskIsNamedAsSuchNotAsAnUnreadableDeck)
{
    // A private mount namespace with Deckrec's cache folder on a nearly full 1 MB disk; only
    // where the test may mount. Other programs' caches (the private display's shader cache)
    // stay off that disk, so that it is Deckrec's own writing that finds it full.
    QTemporaryDir dir;
    const QString cache = dir.path() + "/cache/deckrec";
    QDir().mkpath(cache);
    const QString script = "mount -t tmpfs -o size=1m tmpfs '" + cache + "' || exit 77\n"
                           "head -c 900000 /dev/zero > '" + cache + "/filler'\n"
                           "XDG_CACHE_HOME='" + dir.path() + "/cache' exec '" DECKREC_PROGRAM "' convert '" + kDeck +
                           "' -o '" + dir.path() + "/x.gif' --latency 500\n";
    QProcess run;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    run.setProcessEnvironment(env);
    run.start("unshare", {"-m", "sh", "-c", script});
    ASSERT_TRUE(run.waitForFinished(120000));
    const QString err = QString::fromLocal8Bit(run.readAllStandardError());
    if (run.exitCode() == 77 || run.error() == QProcess::FailedToStart || err.startsWith("unshare:"))
        GTEST_SKIP() << "no private mount here: " << err.toStdString();
    EXPECT_EQ(run.exitCode(), 1) << err.toStdString();
    EXPECT_TRUE(err.contains("The disk is full: there is no room for the slide show in " + cache)) << err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.path() + "/x.gif"));
}

namespace {

// The lines of the standard error that warn about a font.
QStringList FontWarnings(const QString& err)
{
    QStringList lines;
    for (const QString& line : err.split('\n'))
        if (line.startsWith("deckrec: warning:") && line.contains("font"))
            lines << line;
    return lines;
}

} // namespace

TEST(CommandLineEndToEnd, AMissingFontIsOneWarningLineTwinsAreNoneAndStrictFontsRecordsNothing)
{
    QTemporaryDir dir;
    const QString d = dir.path() + "/";
    // The deck names Gill Sans MT (not installed), Calibri and Cambria (Carlito and Caladea
    // are), Liberation Sans and Arial Narrow (Liberation Sans Narrow is).
    const QString deck = DECKREC_TEST_DECKS "/missing-font.fodp";
    const Outcome warned = Deckrec({"convert", deck, "-o", d + "warned.gif", "--fast", "--latency", "500",
                                    "--keep-recording", d + "kept"},
                                   false);
    EXPECT_EQ(warned.status, 0) << warned.err.toStdString();
    EXPECT_TRUE(QFile::exists(d + "warned.gif"));
    EXPECT_EQ(FontWarnings(warned.err), QStringList({"deckrec: warning: the font \"Gill Sans MT\" is not installed; "
                                                     "DejaVu Sans is drawn instead"}))
        << warned.err.toStdString();

    // Also a run for a program reading its events: each line of stdout is one JSON event, from
    // its start to its end.
    const Outcome quiet = Deckrec({"convert", kDeck, "-o", d + "sample.gif", "--fast", "--latency", "500",
                                   "--progress", "json"},
                                  false);
    EXPECT_EQ(quiet.status, 0);
    EXPECT_TRUE(FontWarnings(quiet.err).isEmpty()) << quiet.err.toStdString();
    QStringList events;
    for (const QString& line : quiet.out.split('\n', Qt::SkipEmptyParts)) {
        QJsonParseError error;
        const QJsonObject event = QJsonDocument::fromJson(line.toUtf8(), &error).object();
        EXPECT_EQ(error.error, QJsonParseError::NoError) << "not a JSON line: " << line.toStdString();
        EXPECT_EQ(event["deck"].toString(), kDeck);
        events << event["event"].toString();
        if (event["event"] == "output") {
            EXPECT_EQ(event["path"].toString(), d + "sample.gif");
        }
    }
    EXPECT_EQ(events.value(0), "start");
    EXPECT_EQ(events.value(events.size() - 1), "done");
    EXPECT_EQ(events.count("output"), 1);
    EXPECT_TRUE(events.contains("progress"));

    const Outcome strict = Deckrec({"convert", deck, "-o", d + "strict.gif", "--fast", "--strict-fonts",
                                    "--keep-recording", d + "strict"},
                                   false);
    EXPECT_EQ(strict.status, 1);
    EXPECT_TRUE(strict.err.contains("\"Gill Sans MT\" is not installed")) << strict.err.toStdString();
    EXPECT_FALSE(QFile::exists(d + "strict.gif"));
    EXPECT_TRUE(StoredSlots(d + "strict").empty());
}

TEST(CommandLineEndToEnd, AKilledOrHungUpRunLeavesAKeptRecordingThatExportsWithANote)
{
    struct Case {
        int signal;
        int status; // -1: killed, no exit status
        QString message;
    };
    const std::vector<Case> cases = {
        {SIGKILL, -1, ""},
        {SIGHUP, 130, "the recording so far is kept in"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(strsignal(c.signal));
        QTemporaryDir dir;
        const QString d = dir.path() + "/";
        // Real time and a latency longer than the test: the show is still on its first slide.
        QProcess* run = Start({"convert", kDeck, "-o", d + "k.gif", "--keep-recording", d + "keep1", "--realtime",
                               "--latency", "600000"},
                              true);
        run->setReadChannel(QProcess::StandardError);
        QByteArray err;
        while (!err.contains("Recording slide") && run->waitForReadyRead(60000))
            err += run->readAllStandardError();
        ASSERT_TRUE(err.contains("Recording slide")) << err.toStdString();
        QThread::msleep(2500);
        ::kill(static_cast<pid_t>(run->processId()), c.signal);
        const Outcome ended = Finish(run, 30000);
        EXPECT_EQ(ended.status, c.status) << ended.err.toStdString();
        EXPECT_TRUE(ended.err.contains(c.message)) << ended.err.toStdString();
        EXPECT_FALSE(QFile::exists(d + "k.gif"));
        EXPECT_GE(FrameCountOf(d + "keep1"), 10) << "written down within a second of the end";

        // The slide timeline was kept as the run went: the chapters come out too.
        const Outcome exported = Deckrec({"export", d + "keep1", "-o", d + "e.gif", "-o", d + "e.chapters.txt"}, false);
        ASSERT_EQ(exported.status, 0) << exported.err.toStdString();
        EXPECT_TRUE(Bytes(d + "e.chapters.txt").startsWith("0:00 ")) << Bytes(d + "e.chapters.txt").toStdString();
        EXPECT_TRUE(exported.err.contains(QRegularExpression("keep1 was interrupted at slot \\d+ \\(0:0\\d\\.\\d\\)")))
            << exported.err.toStdString();
        EXPECT_TRUE(Bytes(d + "e.gif").startsWith("GIF89a"));
    }
}

TEST(CommandLineEndToEnd, AShowCutOffByMaxMinutesIsReportedWithStatus1AfterItsOutputs)
{
    QTemporaryDir dir;
    const QString d = dir.path() + "/";
    const Outcome run = Deckrec({"convert", kDeck, "-o", d + "c.gif", "--latency", "600000", "--max-minutes", "0.05",
                                 "--keep-recording", d + "rec"},
                                false);
    EXPECT_EQ(run.status, 1) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("the show was cut off: the recording reached its limit of 20 slots (0:03.0) at slide 1 ("))
        << run.err.toStdString();
    EXPECT_TRUE(Bytes(d + "c.gif").startsWith("GIF89a"));
    EXPECT_EQ(FrameCountOf(d + "rec"), 20);
}
