// SPDX-License-Identifier: GPL-3.0-or-later
// The one supervisor of started programs: its log, the environment it hands on, how it ended,
// and a forced stop that leaves nothing of what the child started.
#include "platform/child_process.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUuid>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>

namespace {

int WaitForEnd(ChildProcess& child)
{
    int status = 0;
    for (int k = 0; k < 500 && !child.Ended(status); ++k)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return status;
}

} // namespace

TEST(ChildProcess, LogsBothStreamsHandsOnItsEnvironmentAndSaysHowItEnded)
{
    QTemporaryDir dir;
    const std::string log = dir.filePath("child.log").toStdString();
    setenv("DECKREC_CHILD_TEST", "inherited", 1);
    ChildProcess child;
    std::string error;
    ASSERT_TRUE(child.Start({"sh", "-c", "echo out; echo \"$DECKREC_CHILD_TEST\" >&2; exit 3"},
                            {"DECKREC_CHILD_TEST=given"}, -1, log, error))
        << error;
    const int status = WaitForEnd(child);
    EXPECT_EQ(WaitStatusText(status), "ended with status 3");
    QFile file(QString::fromStdString(log));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "out\ngiven\n");

    EXPECT_FALSE(child.Start({"true"}, {}, -1, dir.filePath("no/such/folder.log").toStdString(), error));
    EXPECT_NE(error.find("cannot write its log"), std::string::npos) << error;
    EXPECT_EQ(WaitStatusText(W_EXITCODE(0, SIGKILL)).rfind("crashed (signal 9", 0), 0u);
}

TEST(ChildProcess, AForcedStopEndsEverythingCarryingItsMark)
{
    QTemporaryDir dir;
    const std::string mark = "DECKREC_CHILD_TEST_MARK=" + QUuid::createUuid().toString(QUuid::Id128).toStdString();
    ChildProcess child;
    std::string error;
    // A grandchild in a session of its own: out of the group's reach, not of the mark's.
    ASSERT_TRUE(child.Start({"sh", "-c", "setsid sleep 60 & sleep 60"}, {}, -1, dir.filePath("c.log").toStdString(),
                            error, ChildOptions{.ownSession = false, .mark = mark}))
        << error;
    for (int k = 0; k < 200 && ProcessesMarked(mark).size() < 3; ++k)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_GE(ProcessesMarked(mark).size(), 3u);
    child.AskToStop();
    EXPECT_TRUE(child.AskedToStop());
    child.Kill();
    EXPECT_TRUE(ProcessesMarked(mark).empty());
    int status = 0;
    EXPECT_TRUE(child.Ended(status));
}
