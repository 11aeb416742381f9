// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the program finds its data files and keeps its working files. Run from the build tree,
// the program folder holds both: the data files and temp/. Installed (<prefix>/bin/deckrec with
// its data in <prefix>/share/deckrec/), the program writes nothing under the prefix: each running
// window keeps its recording and its generated page in a directory of its own under the user's
// cache folder, so that two windows never touch each other's recording.

#include "core/unfinished_session.h"
#include "core/working_files.h"

#include <optional>

#include <string>

// executableFolder/../share/deckrec/ when that folder holds the page template (an installed
// program), else "" (the build tree). Whether a folder is writable decides nothing: a program
// run as root may write anywhere, installed or not.
std::string InstalledDataFolder(const std::string& executableFolder);

// The working files of one window, and the private working directory behind them when the
// program is installed; that directory is removed with this object.
class ProgramLayout {
public:
    // Installed: first removes the directories of windows whose process has ended (all but
    // those holding a session that never ended), then creates this window's own. Throws
    // DeckrecError when it cannot be created.
    explicit ProgramLayout(const std::string& executableFolder);
    ~ProgramLayout();
    ProgramLayout(const ProgramLayout&) = delete;
    ProgramLayout& operator=(const ProgramLayout&) = delete;

    bool Installed() const { return !privateDirectory_.empty(); }
    const WorkingFiles& Files() const { return files_; }
    // The latest session a window that has ended left unfinished: in a directory of its own
    // under the cache folder when installed, in temp/ of the build tree. Found once, at start.
    const std::optional<UnfinishedSession>& unfinishedSession() const { return unfinished_; }

private:
    std::string privateDirectory_;
    WorkingFiles files_;
    std::optional<UnfinishedSession> unfinished_;
};

// Removes the working directories under the cache folder whose window's process is gone (it
// crashed or was killed before it could remove its own); those of running windows stay, and
// so do those holding frames of a session that never ended.
void RemoveStaleWorkingDirectories();

// Of the directories under the cache folder, the one holding the latest unfinished session.
std::optional<UnfinishedSession> LatestUnfinishedSessionInCache();
