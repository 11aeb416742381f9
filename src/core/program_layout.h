#pragma once
// Where the program finds its data files and keeps its working files. Run from the build tree,
// the program folder holds both: the data files and temp/. Installed (<prefix>/bin/deckrec with
// its data in <prefix>/share/deckrec/), the program writes nothing under the prefix: each running
// window keeps its recording and its generated page in a directory of its own under the user's
// cache folder, so that two windows never touch each other's recording.

#include "core/working_files.h"

#include <string>

// executableFolder/../share/deckrec/ when that folder holds the page template (an installed
// program), else "" (the build tree). Whether a folder is writable decides nothing: a program
// run as root may write anywhere, installed or not.
std::string InstalledDataFolder(const std::string& executableFolder);

// The working files of one window, and the private working directory behind them when the
// program is installed; that directory is removed with this object.
class ProgramLayout {
public:
    // Installed: first removes the directories of windows whose process has ended, then creates
    // this window's own. Throws DeckrecError when it cannot be created.
    explicit ProgramLayout(const std::string& executableFolder);
    ~ProgramLayout();
    ProgramLayout(const ProgramLayout&) = delete;
    ProgramLayout& operator=(const ProgramLayout&) = delete;

    bool Installed() const { return !privateDirectory_.empty(); }
    const WorkingFiles& Files() const { return files_; }

private:
    std::string privateDirectory_;
    WorkingFiles files_;
};

// Removes the working directories under the cache folder whose window's process is gone (it
// crashed or was killed before it could remove its own); those of running windows stay.
void RemoveStaleWorkingDirectories();
