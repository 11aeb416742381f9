// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the tests of the built program read after a run: its exit and output, the files it
// left, and the processes it left behind.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>

struct Outcome {
    int status = -1; // -1: it did not end in time, or crashed
    QString out;
    QString err;
};

// Waits for the started process, reads what it wrote and deletes it.
inline Outcome Finish(QProcess* process, int timeoutMs = 300000)
{
    Outcome run;
    if (process->waitForFinished(timeoutMs) && process->exitStatus() == QProcess::NormalExit)
        run.status = process->exitCode();
    run.out = QString::fromLocal8Bit(process->readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process->readAllStandardError());
    delete process;
    return run;
}

inline QByteArray Bytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The number of slots a kept recording's manifest gives.
inline int FrameCountOf(const QString& folder)
{
    static const QRegularExpression count("\"FrameCount\":\\s*(\\d+)");
    return count.match(QString::fromUtf8(Bytes(folder + "/recording.json"))).captured(1).toInt();
}

// Names, sizes and times of a folder's files, to see that nothing changed.
inline QStringList Listing(const QString& folder)
{
    QStringList listing;
    for (const QFileInfo& file : QDir(folder).entryInfoList(QDir::Files, QDir::Name))
        listing << QString("%1 %2 %3").arg(file.fileName()).arg(file.size()).arg(file.lastModified().toMSecsSinceEpoch());
    return listing;
}

// The command lines of processes still carrying the environment mark of a run.
inline QStringList ProcessesMarked(const QString& mark)
{
    QStringList found;
    for (const QString& pid : QDir("/proc").entryList(QDir::Dirs))
        if (Bytes("/proc/" + pid + "/environ").contains(("DECKREC_TEST_MARK=" + mark).toUtf8()))
            found << QString::fromLocal8Bit(Bytes("/proc/" + pid + "/cmdline").replace('\0', ' '));
    return found;
}

// The browser engine's helper processes end on their own a moment after the program: what
// is still there after five seconds outlived the run.
inline QStringList ProcessesLeft(const QString& mark)
{
    for (int k = 0; k < 50 && !ProcessesMarked(mark).isEmpty(); ++k)
        QThread::msleep(100);
    return ProcessesMarked(mark);
}
