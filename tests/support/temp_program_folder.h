#pragma once
// Points the program folder at a fresh folder for one test and removes it afterwards.

#include "app/working_files.h"

#include <QTemporaryDir>
#include <filesystem>

class TempProgramFolder {
public:
    TempProgramFolder()
    {
        SetProgramFolderForTesting(dir_.path().toStdString());
        std::filesystem::create_directory(WorkingDirectory());
    }
    ~TempProgramFolder() { SetProgramFolderForTesting(""); }
    std::string path() const { return ProgramFolder(); }

private:
    QTemporaryDir dir_;
};
