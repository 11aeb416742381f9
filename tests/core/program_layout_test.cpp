#include "core/deckrec_error.h"
#include "core/presentation_page.h"
#include "core/owner_mark.h"
#include "core/program_layout.h"

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
