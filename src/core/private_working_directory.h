// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A working directory of one run's own under the user's cache folder, so that conversions and
// windows running at the same time never touch each other's recording.

#include <string>

// $XDG_CACHE_HOME/deckrec/ (an absolute XDG_CACHE_HOME only), else ~/.cache/deckrec/; ends in "/".
std::string DeckrecCacheFolder();

// Creates DeckrecCacheFolder() + tag + "-" + the process's OwnMark() + "-" + six random
// characters, mode 0700, and returns it ending in "/". Throws DeckrecError naming the folder
// when it cannot be made. tag is lower-case letters.
std::string CreatePrivateWorkingDirectory(const std::string& tag);

// Removes a directory that CreatePrivateWorkingDirectory made, with everything in it; a path
// outside the cache folder is left alone. Errors are ignored.
void RemovePrivateWorkingDirectory(const std::string& directory);

// Removes the folders CreatePrivateWorkingDirectory made for processes that have ended (killed
// before they could remove their own); those of running processes stay, and so does any
// folder whose name carries no owner, and any holding frames of a session that never ended
// (see unfinished_session.h).
void RemoveWorkingDirectoriesOfEndedRuns();
