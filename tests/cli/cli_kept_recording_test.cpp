// SPDX-License-Identifier: GPL-3.0-or-later
// The built program exporting kept recordings that went wrong, made here without recording: a
// damaged recording.json or frame file, a file-size limit, a signal during a long export, and
// what killed runs left behind.
#include "core/frame_store.h"
#include "core/owner_mark.h"
#include "core/picture.h"
#include "core/working_files.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Outcome {
    int status = -1;
    QString err;
};

class KeptRecording : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        QDir().mkpath(Rec());
        QDir().mkpath(Cache());
    }

    QString D() const { return dir.path() + "/"; }
    QString Rec() const { return D() + "rec"; }
    QString Cache() const { return D() + "cache/deckrec/"; }

    // Slots 1 and 3 stored, 320x240 of noise: a few hundred KB in any output.
    void WriteRecording(const QByteArray& manifest)
    {
        const WorkingFiles files(D().toStdString(), Rec().toStdString());
        Picture noise(320, 240);
        unsigned seed = 7;
        for (int y = 0; y < noise.height(); ++y)
            for (int x = 0; x < noise.width() * 3; ++x)
                noise.scanLine(y)[x] = static_cast<uint8_t>((seed = seed * 1103515245 + 12345) >> 16);
        SaveFrame(files, noise, 1);
        SaveFrame(files, noise, 3);
        QFile json(Rec() + "/recording.json");
        ASSERT_TRUE(json.open(QIODevice::WriteOnly));
        json.write(manifest);
    }

    QProcess* Start(const QStringList& args, const QString& shellPrefix = {})
    {
        auto* process = new QProcess;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        env.insert("XDG_CACHE_HOME", D() + "cache");
        process->setProcessEnvironment(env);
        if (shellPrefix.isEmpty()) {
            process->start(DECKREC_PROGRAM, args);
        } else {
            QString command = shellPrefix + " exec '" DECKREC_PROGRAM "'";
            for (const QString& arg : args)
                command += " '" + arg + "'";
            process->start("sh", {"-c", command});
        }
        process->waitForStarted();
        return process;
    }

    static Outcome Finish(QProcess* process, int timeoutMs = 120000)
    {
        Outcome run;
        if (process->waitForFinished(timeoutMs))
            run.status = process->exitStatus() == QProcess::NormalExit ? process->exitCode() : 128 + process->exitCode();
        run.err = QString::fromLocal8Bit(process->readAllStandardError());
        delete process;
        return run;
    }

    QStringList PartFiles() const { return QDir(D()).entryList({"*.part"}, QDir::Files); }

    QTemporaryDir dir;
};

// The mark of a process that has ended: a child that ran and was reaped.
std::string EndedMark()
{
    const pid_t child = fork();
    if (child == 0) {
        pause();
        _exit(0);
    }
    const std::string mark = MarkOfProcess(child);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    return mark;
}

} // namespace

TEST_F(KeptRecording, DamagedRecordingsAreRefusedAtOnceNamingWhatIsWrong)
{
    struct Case {
        QByteArray manifest;
        QString message;
    };
    const std::vector<Case> cases = {
        {R"({"FrameCount": 2147483647})", "FrameCount 2147483647 is out of range (1 to 576000)"},
        {R"({"FrameCount": 2147483648})", "FrameCount 2147483648 is out of range"},
        {R"({"FrameCount": 3, "framePeriodMs": 0})", "framePeriodMs 0 is out of range"},
        {R"({"FrameCount": 1.5})", "FrameCount 1.5 is out of range"},
        {R"({"frames": 3})", "gives no FrameCount"},
    };
    WriteRecording("");
    for (const Case& c : cases) {
        QFile json(Rec() + "/recording.json");
        ASSERT_TRUE(json.open(QIODevice::WriteOnly | QIODevice::Truncate));
        json.write(c.manifest);
        json.close();
        QElapsedTimer timer;
        timer.start();
        const Outcome run = Finish(Start({"export", Rec(), "-o", D() + "out.gif"}), 20000);
        EXPECT_EQ(run.status, 1) << c.manifest.toStdString() << "\n" << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(c.message)) << run.err.toStdString();
        EXPECT_LT(timer.elapsed(), 10000) << c.manifest.toStdString();
    }
    EXPECT_FALSE(QFile::exists(D() + "out.gif"));

    // A damaged frame file is named, so that it can be found.
    QFile json(Rec() + "/recording.json");
    ASSERT_TRUE(json.open(QIODevice::WriteOnly | QIODevice::Truncate));
    json.write(R"({"FrameCount": 4})");
    json.close();
    QFile frame(Rec() + "/temp3.bmp");
    ASSERT_TRUE(frame.open(QIODevice::WriteOnly | QIODevice::Truncate));
    frame.write(QByteArray(64, 'x'));
    frame.close();
    const Outcome damaged = Finish(Start({"export", Rec(), "-o", D() + "out.gif"}));
    EXPECT_EQ(damaged.status, 1);
    EXPECT_TRUE(damaged.err.contains(Rec() + "/temp3.bmp")) << damaged.err.toStdString();
    EXPECT_EQ(PartFiles(), QStringList());
}

TEST_F(KeptRecording, SigtermStopsTheLongestExportWithinASecond)
{
    WriteRecording(R"({"FrameCount": 576000})");
    QProcess* run = Start({"export", Rec(), "-o", D() + "long.mp4"});
    run->setReadChannel(QProcess::StandardError);
    QByteArray err;
    while (!err.contains("long.mp4 [") && run->waitForReadyRead(30000))
        err += run->readAllStandardError();
    ASSERT_TRUE(err.contains("long.mp4 [")) << err.toStdString();
    QThread::msleep(500);
    QElapsedTimer timer;
    timer.start();
    ::kill(static_cast<pid_t>(run->processId()), SIGTERM);
    const Outcome ended = Finish(run, 10000);
    // The frame loop stops within a second; the rest is closing the encoder and the folder.
    EXPECT_LT(timer.elapsed(), 1500);
    EXPECT_EQ(ended.status, 130) << ended.err.toStdString();
    EXPECT_FALSE(QFile::exists(D() + "long.mp4"));
    EXPECT_EQ(PartFiles(), QStringList());
}

TEST_F(KeptRecording, AFileSizeLimitFailsEachOutputWithItsNameAndLeavesNoPart)
{
    WriteRecording(R"({"FrameCount": 4})");
    // 100 blocks: the outputs of this noise are larger in any block size.
    const Outcome run = Finish(Start({"export", Rec(), "-o", D() + "a.gif", "-o", D() + "b.mp4"}, "ulimit -f 100;"));
    EXPECT_EQ(run.status, 1) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(D() + "a.gif")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(D() + "b.mp4")) << "the next output was tried too\n" << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("File too large")) << run.err.toStdString();
    EXPECT_FALSE(QFile::exists(D() + "a.gif") || QFile::exists(D() + "b.mp4"));
    EXPECT_EQ(PartFiles(), QStringList());
}

TEST_F(KeptRecording, WhatEndedRunsLeftIsSweptAndWhatRunningOnesWriteIsKept)
{
    WriteRecording(R"({"FrameCount": 4})");
    const std::string own = OwnMark();
    ASSERT_FALSE(own.empty());
    // The same process id with another start time is a later process: the owner has ended.
    const std::string reused = own.substr(0, own.find('-')) + "-" + std::to_string(std::stoll(own.substr(own.find('-') + 1)) + 1);
    const QStringList ended = {QString::fromStdString(EndedMark()), QString::fromStdString(reused)};
    const QString running = QString::fromStdString(own);

    for (const QString& mark : ended) {
        QDir().mkpath(Cache() + "convert-" + mark + "-aB3xYz/shows");
        QFile(D() + "out.gif." + mark + "-abcd1234.part").open(QIODevice::WriteOnly);
    }
    QDir().mkpath(Cache() + "export-" + running + "-aB3xYz");
    QFile(D() + "out.gif." + running + "-abcd1234.part").open(QIODevice::WriteOnly);
    QFile(D() + "other.gif." + ended[0] + "-abcd1234.part").open(QIODevice::WriteOnly);
    QDir().mkpath(Cache() + "convert-aB3xYz");

    const Outcome run = Finish(Start({"export", Rec(), "-o", D() + "out.gif"}));
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(QDir(Cache()).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
              QStringList({"convert-aB3xYz", "export-" + running + "-aB3xYz"}))
        << "only folders of ended runs go; one whose owner is unknown stays";
    EXPECT_EQ(PartFiles(), QStringList({"other.gif." + ended[0] + "-abcd1234.part", "out.gif." + running + "-abcd1234.part"}))
        << "parts of another output wait for that output";
}

// --gif-max-size: a budget the recording can meet gives a file within it and says what it chose;
// one it cannot gives no file at all; a budget or tolerance that is no number is a usage error.
TEST_F(KeptRecording, AGifSizeBudgetFitsOrLeavesNoFile)
{
    WriteRecording(R"({"FrameCount": 4})");
    const QString target = D() + "fit.gif";
    QProcess* fitting = Start({"export", Rec(), "-o", target, "--gif-max-size", "40k"});
    ASSERT_TRUE(fitting->waitForFinished(120000));
    const QString summary = QString::fromLocal8Bit(fitting->readAllStandardOutput());
    EXPECT_EQ(fitting->exitCode(), 0) << fitting->readAllStandardError().toStdString();
    delete fitting;
    EXPECT_GT(QFileInfo(target).size(), 0);
    EXPECT_LE(QFileInfo(target).size(), 40000);
    EXPECT_TRUE(summary.contains(", tolerance ")) << summary.toStdString();

    const Outcome tooSmall = Finish(Start({"export", Rec(), "-o", D() + "none.gif", "--gif-max-size", "200"}));
    EXPECT_EQ(tooSmall.status, 1);
    EXPECT_TRUE(tooSmall.err.contains("within 200 bytes: even the smallest try (120 x 90")) << tooSmall.err.toStdString();
    EXPECT_FALSE(QFile::exists(D() + "none.gif"));
    EXPECT_EQ(PartFiles(), QStringList());

    for (const QStringList& bad : {QStringList{"--gif-max-size", "0"}, QStringList{"--gif-max-size", "12Q"},
                                   QStringList{"--gif-tolerance", "-3"}}) {
        const Outcome usage = Finish(Start(QStringList{"export", Rec(), "-o", D() + "bad.gif"} + bad), 20000);
        EXPECT_EQ(usage.status, 2) << bad.join(' ').toStdString();
        EXPECT_FALSE(QFile::exists(D() + "bad.gif"));
    }
}
