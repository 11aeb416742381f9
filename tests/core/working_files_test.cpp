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
