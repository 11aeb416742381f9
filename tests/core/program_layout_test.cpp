// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/deckrec_error.h"
#include "core/frame_store.h"
#include "core/presentation_page.h"
#include "core/owner_mark.h"
#include "core/program_layout.h"
#include "core/unfinished_session.h"
#include "support/window_that_died.h"

#include <QTemporaryDir>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::set<std::string> Listing(const fs::path& root)
{
    std::set<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        names.insert(entry.path().string());
    return names;
}

// A prefix with bin/ (and, when installed, share/deckrec/main.htm) and a cache folder of its
// own in XDG_CACHE_HOME.
class ProgramLayoutTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* old = std::getenv("XDG_CACHE_HOME");
        oldCache_ = old ? old : "";
        hadCache_ = old != nullptr;
        setenv("XDG_CACHE_HOME", (root() + "/cache").c_str(), 1);
        fs::create_directories(bin());
    }
    void TearDown() override
    {
        if (hadCache_)
            setenv("XDG_CACHE_HOME", oldCache_.c_str(), 1);
        else
            unsetenv("XDG_CACHE_HOME");
    }
    void Install()
    {
        fs::create_directories(root() + "/usr/share/deckrec");
        std::ofstream(root() + "/usr/share/deckrec/main.htm") << "deck=[right.htm]";
    }
    std::string root() const { return dir_.path().toStdString(); }
    std::string bin() const { return root() + "/usr/bin/"; }
    std::string cache() const { return root() + "/cache/deckrec/"; }

private:
    QTemporaryDir dir_;
    std::string oldCache_;
    bool hadCache_ = false;
};

} // namespace

TEST_F(ProgramLayoutTest, BuildTreeKeepsTheProgramFolderAndItsTemp)
{
    // A share/deckrec/ without the page template is not an installation.
    fs::create_directories(root() + "/usr/share/deckrec");
    const ProgramLayout layout(bin());
    EXPECT_FALSE(layout.Installed());
    EXPECT_EQ(layout.Files().ProgramFolder(), bin());
    EXPECT_EQ(layout.Files().WorkingDirectory(), bin() + "temp/");
    EXPECT_EQ(GeneratedPagePath(layout.Files()), bin() + "main_go.htm");
    EXPECT_FALSE(fs::exists(cache()));
}

TEST_F(ProgramLayoutTest, InstalledWindowsWorkInPrivateCacheDirectoriesAndWriteNothingUnderThePrefix)
{
    Install();
    const std::set<std::string> before = Listing(root() + "/usr");
    std::string firstDirectory;
    {
        const ProgramLayout first(bin());
        const ProgramLayout second(bin());
        ASSERT_TRUE(first.Installed());
        EXPECT_EQ(first.Files().ProgramFolder(), fs::canonical(root() + "/usr/share/deckrec").string() + "/");
        firstDirectory = first.Files().WorkingDirectory();
        EXPECT_EQ(firstDirectory.rfind(cache(), 0), 0u) << firstDirectory;
        EXPECT_NE(firstDirectory, second.Files().WorkingDirectory());

        // Browse writes the page beside the working files; a recording goes there too.
        WriteGeneratedPage(first.Files(), "/decks/talk.ppt");
        EXPECT_EQ(GeneratedPagePath(first.Files()), firstDirectory + "main_go.htm");
        std::ifstream page(firstDirectory + "main_go.htm");
        const std::string text((std::istreambuf_iterator<char>(page)), std::istreambuf_iterator<char>());
        EXPECT_EQ(text, "deck=/decks/talk.ppt\r\n");
        std::ofstream(first.Files().FrameFilePath(1)) << "frame";
        EXPECT_TRUE(fs::exists(second.Files().WorkingDirectory()));
        EXPECT_FALSE(fs::exists(second.Files().FrameFilePath(1)));
    }
    EXPECT_FALSE(fs::exists(firstDirectory)) << "a closed window leaves its directory behind";
    EXPECT_TRUE(fs::is_empty(cache()));
    EXPECT_EQ(Listing(root() + "/usr"), before);
}

TEST_F(ProgramLayoutTest, DirectoriesOfEndedProcessesAreRemovedAtTheNextStart)
{
    Install();
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    waitpid(child, nullptr, 0);
    const std::string ended = cache() + "window-" + std::to_string(child) + "-aB3xYz";
    const std::string running = cache() + "window-" + std::to_string(getpid()) + "-qwErty";
    // Named as this version names them: the owner's id and start time.
    const std::string endedNow = cache() + "window-" + std::to_string(child) + "-12345-aB3xYz";
    const std::string runningNow = cache() + "convert-" + OwnMark() + "-qwErty";
    fs::create_directories(endedNow);
    fs::create_directories(runningNow);
    const std::vector<std::string> others = {"convert-aB3xYz", "window-12x4-aB3xYz", "window-1-toolong", "notes"};
    fs::create_directories(ended + "/shows");
    std::ofstream(ended + "/temp1.bmp") << "frame";
    fs::create_directories(running);
    for (const auto& name : others)
        fs::create_directories(cache() + name);

    const ProgramLayout layout(bin());
    EXPECT_FALSE(fs::exists(ended));
    EXPECT_TRUE(fs::exists(running));
    EXPECT_FALSE(fs::exists(endedNow));
    EXPECT_TRUE(fs::exists(runningNow));
    for (const auto& name : others)
        EXPECT_TRUE(fs::exists(cache() + name)) << name;
}

TEST_F(ProgramLayoutTest, AnUnusableCacheFolderIsAnErrorNamingIt)
{
    Install();
    std::ofstream(root() + "/cache") << "a file where the cache folder should be";
    try {
        const ProgramLayout layout(bin());
        FAIL() << "no error";
    } catch (const DeckrecError& error) {
        EXPECT_NE(std::string(error.what()).find(cache()), std::string::npos) << error.what();
    }
}

TEST_F(ProgramLayoutTest, FramesOfASessionThatNeverEndedAreKeptAndOfferedAtTheNextStart)
{
    Install();
    const auto picture = [](int n) {
        Picture p(16, 12);
        std::fill(p.bits(), p.bits() + p.byteCount(), static_cast<uint8_t>(n * 20));
        return p;
    };
    // The mark is brought up to date once a second: frames may go beyond its count, or stop
    // before it (the slide stood still).
    const std::string beyond = LeaveSessionOfKilledWindow({1, 4, 9}, 5, picture);
    const std::string before = LeaveSessionOfKilledWindow({1, 2}, 40, picture);
    const std::string unmarked = LeaveSessionOfKilledWindow({1, 2}, 0, picture);
    const std::string frameless = LeaveSessionOfKilledWindow({}, 3, picture);
    ASSERT_FALSE(beyond.empty() || before.empty() || unmarked.empty() || frameless.empty());
    fs::last_write_time(beyond + kUnfinishedSessionMarkName,
                        fs::last_write_time(before + kUnfinishedSessionMarkName) + std::chrono::seconds(5));

    {
        const ProgramLayout layout(bin());
        EXPECT_TRUE(fs::exists(beyond + "temp9.bmp"));
        EXPECT_TRUE(fs::exists(before + "temp2.bmp"));
        EXPECT_FALSE(fs::exists(unmarked)) << "a finished session's frames go as before";
        EXPECT_FALSE(fs::exists(frameless));
        ASSERT_TRUE(layout.unfinishedSession());
        EXPECT_EQ(layout.unfinishedSession()->folder, beyond) << "the latest is offered";
        EXPECT_EQ(layout.unfinishedSession()->frameCount, 9);

        AdoptUnfinishedSession(*layout.unfinishedSession(), layout.Files());
        EXPECT_FALSE(fs::exists(beyond));
        for (int n : {1, 4, 9})
            EXPECT_TRUE(FrameExists(layout.Files(), n)) << n;
        EXPECT_FALSE(fs::exists(layout.Files().WorkingDirectory() + kUnfinishedSessionMarkName));
    }
    // The other one is offered at the start after; declining it deletes it.
    {
        const ProgramLayout layout(bin());
        ASSERT_TRUE(layout.unfinishedSession());
        EXPECT_EQ(layout.unfinishedSession()->frameCount, 40);
        DiscardUnfinishedSession(*layout.unfinishedSession(), layout.Files());
        EXPECT_FALSE(fs::exists(before));
    }
    EXPECT_FALSE(ProgramLayout(bin()).unfinishedSession());
    EXPECT_TRUE(fs::is_empty(cache()));
}

TEST_F(ProgramLayoutTest, TheBuildTreeOffersItsTempOnlyWhenItsRecorderHasEnded)
{
    // Uninstalled, the windows record into temp/ beside the program.
    const WorkingFiles files = WorkingFiles::InProgramFolder(bin());
    files.EnsureWorkingDirectory();
    SaveFrame(files, Picture(8, 6), 3);
    ASSERT_TRUE(WriteUnfinishedSessionMark(files.WorkingDirectory(), 2));
    EXPECT_FALSE(ProgramLayout(bin()).unfinishedSession()) << "this process records there now";

    // The mark of a window that was killed.
    const std::string dead = LeaveSessionOfKilledWindow({}, 12, [](int) { return Picture(); });
    ASSERT_FALSE(dead.empty());
    fs::copy_file(dead + kUnfinishedSessionMarkName, files.WorkingDirectory() + kUnfinishedSessionMarkName,
                  fs::copy_options::overwrite_existing);
    const ProgramLayout layout(bin());
    ASSERT_TRUE(layout.unfinishedSession());
    EXPECT_EQ(layout.unfinishedSession()->folder, files.WorkingDirectory());
    EXPECT_EQ(layout.unfinishedSession()->frameCount, 12);
    AdoptUnfinishedSession(*layout.unfinishedSession(), layout.Files());
    EXPECT_TRUE(FrameExists(files, 3)) << "recovered where they are";
    EXPECT_FALSE(ProgramLayout(bin()).unfinishedSession());
}
