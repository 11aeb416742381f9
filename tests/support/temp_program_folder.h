// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A fresh program folder with its working directory for one test, removed afterwards.

#include "core/working_files.h"

#include <QTemporaryDir>
#include <filesystem>

class TempProgramFolder {
public:
    TempProgramFolder()
        : files_(WorkingFiles::InProgramFolder(dir_.path().toStdString()))
    {
        std::filesystem::create_directory(files_.WorkingDirectory());
    }
    // The folder, ending in "/".
    std::string path() const { return files_.ProgramFolder(); }
    const WorkingFiles& files() const { return files_; }

private:
    QTemporaryDir dir_;
    WorkingFiles files_;
};
