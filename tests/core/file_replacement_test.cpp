// SPDX-License-Identifier: GPL-3.0-or-later
// Replacing a user's file only with a complete new one (a failed save, end to end, is in the
// Save GIF page's tests).
#include "core/deckrec_error.h"
#include "core/file_replacement.h"

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

std::string Contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

size_t EntriesIn(const std::string& dir)
{
    return static_cast<size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

class FileReplacementTest : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return dir.path().toStdString() + "/" + name; }
    QTemporaryDir dir;
};

TEST_F(FileReplacementTest, ACommittedFileReplacesTheTargetAndKeepsItsRights)
{
    std::ofstream(path("talk.gif")) << "old";
    chmod(path("talk.gif").c_str(), 0640);
    // Files whose names the new file might have taken: none of them is touched.
    std::ofstream(path("talk.gif.part")) << "mine";
    {
        PendingReplacement pending(path("talk.gif"));
        EXPECT_EQ(fs::path(pending.path()).parent_path(), fs::path(path("talk.gif")).parent_path());
        EXPECT_NE(pending.path(), path("talk.gif.part"));
        std::ofstream(pending.path()) << "new";
        EXPECT_EQ(Contents(path("talk.gif")), "old") << "the target waits for the commit";
        pending.Commit();
    }
    EXPECT_EQ(Contents(path("talk.gif")), "new");
    EXPECT_EQ(Contents(path("talk.gif.part")), "mine");
    struct stat info{};
    ASSERT_EQ(stat(path("talk.gif").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(EntriesIn(dir.path().toStdString()), 2u);
}

TEST_F(FileReplacementTest, AFolderThatTakesNoFileNamesTheTarget)
{
    const std::string target = path("missing/talk.gif");
    try {
        PendingReplacement pending(target);
        FAIL() << "no folder, no file";
    } catch (const DeckrecError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file " + target);
    }
    // A folder in the target's place cannot be replaced by a file.
    fs::create_directory(path("taken.gif"));
    PendingReplacement pending(path("taken.gif"));
    EXPECT_THROW(pending.Commit(), DeckrecError);
    EXPECT_TRUE(fs::is_directory(path("taken.gif")));
}

} // namespace
