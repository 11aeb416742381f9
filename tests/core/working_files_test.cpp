// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/working_files.h"
#include "support/temp_program_folder.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {
void Touch(const std::string& path)
{
    std::ofstream(path) << "x";
}
} // namespace

TEST(WorkingFiles, PathsAreConcatenatedOntoTheProgramFolder)
{
    TempProgramFolder folder;
    EXPECT_EQ(folder.files().WorkingDirectory(), folder.path() + "temp/");
    EXPECT_EQ(folder.files().FrameFilePath(12), folder.path() + "temp/temp12.bmp");
    EXPECT_EQ(folder.files().FrameFilePath(0), folder.path() + "temp/temp0.bmp");
    EXPECT_EQ(folder.files().SoundFilePath(), folder.path() + "temp/_temp.wav");
}

TEST(WorkingFiles, ClearRemovesExactlyFramesZeroTo10000AndTheSound)
{
    TempProgramFolder folder;
    const std::vector<std::string> doomed = {"temp0.bmp", "temp1.bmp", "temp9999.bmp", "temp10000.bmp", "_temp.wav"};
    const std::vector<std::string> kept = {"temp10001.bmp", "temp01.bmp", "temp-1.bmp", "tempx.bmp", "temp1.bmp.bak",
                                           "Temp1.bmp", "temp1.BMP", "other.wav", "notes.txt", "temp.bmp"};
    for (const auto& name : doomed)
        Touch(folder.files().WorkingDirectory() + name);
    for (const auto& name : kept)
        Touch(folder.files().WorkingDirectory() + name);
    Touch(folder.path() + "main_go.htm");
    Touch(folder.path() + "temp5.bmp"); // outside the working directory

    folder.files().ClearWorkingFiles();

    for (const auto& name : doomed)
        EXPECT_FALSE(fs::exists(folder.files().WorkingDirectory() + name)) << name;
    for (const auto& name : kept)
        EXPECT_TRUE(fs::exists(folder.files().WorkingDirectory() + name)) << name;
    EXPECT_TRUE(fs::is_directory(folder.files().WorkingDirectory()));
    EXPECT_TRUE(fs::exists(folder.path() + "main_go.htm"));
    EXPECT_TRUE(fs::exists(folder.path() + "temp5.bmp"));
}

TEST(WorkingFiles, MissingWorkingDirectoryIsQuietAndCreatedOnDemand)
{
    TempProgramFolder folder;
    fs::remove_all(folder.files().WorkingDirectory());
    EXPECT_NO_THROW(folder.files().ClearWorkingFiles());
    folder.files().EnsureWorkingDirectory();
    EXPECT_TRUE(fs::is_directory(folder.files().WorkingDirectory()));
    folder.files().EnsureWorkingDirectory(); // already there: nothing happens
    EXPECT_TRUE(fs::is_directory(folder.files().WorkingDirectory()));
}

TEST(WorkingFiles, ClearAlsoRemovesWhatACutOffFrameWriteLeft)
{
    TempProgramFolder folder;
    const std::string dir = folder.files().WorkingDirectory();
    for (const char* name : {"temp3.bmp.part", "temp10001.bmp.part", "notes.part"})
        Touch(dir + name);
    folder.files().ClearWorkingFiles();
    EXPECT_FALSE(fs::exists(dir + "temp3.bmp.part"));
    EXPECT_TRUE(fs::exists(dir + "temp10001.bmp.part"));
    EXPECT_TRUE(fs::exists(dir + "notes.part"));
}

TEST(WorkingFiles, RecognisesItsFilesUnderAnyNameThatLeadsToThem)
{
    TempProgramFolder folder;
    const WorkingFiles& files = folder.files();
    Touch(files.FrameFilePath(4));
    const std::string dir = files.WorkingDirectory();
    EXPECT_TRUE(files.IsWorkingFile(files.FrameFilePath(4)));
    EXPECT_TRUE(files.IsWorkingFile(files.FrameFilePath(9000))) << "a frame name, stored or not";
    EXPECT_TRUE(files.IsWorkingFile(dir + "../temp/temp4.bmp"));
    EXPECT_TRUE(files.IsWorkingFile(files.SoundFilePath()));
    EXPECT_TRUE(files.IsWorkingFile(dir + "mine.avi", {dir + "mine.avi"}));

    fs::create_symlink(dir, folder.path() + "link");
    EXPECT_TRUE(files.IsWorkingFile(folder.path() + "link/temp4.bmp"));
    EXPECT_TRUE(files.IsWorkingFile(folder.path() + "link/_temp.wav"));

    for (const std::string& other : {folder.path() + "temp4.bmp", dir + "talk.avi", dir + "temp10001.bmp",
                                     folder.path() + "main_go.htm", std::string()})
        EXPECT_FALSE(files.IsWorkingFile(other, {dir + "mine.avi"})) << other;
}
