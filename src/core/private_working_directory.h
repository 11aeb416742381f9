#pragma once
// A working directory of one run's own under the user's cache folder, so that conversions and
// windows running at the same time never touch each other's recording.

#include <string>

// $XDG_CACHE_HOME/deckrec/ (an absolute XDG_CACHE_HOME only), else ~/.cache/deckrec/; ends in "/".
std::string DeckrecCacheFolder();

// Creates DeckrecCacheFolder() + tag + "-" + six random characters, mode 0700, and returns it
// ending in "/". Throws DeckrecError naming the folder when it cannot be made.
std::string CreatePrivateWorkingDirectory(const std::string& tag);

// Removes a directory that CreatePrivateWorkingDirectory made, with everything in it; a path
// outside the cache folder is left alone. Errors are ignored.
void RemovePrivateWorkingDirectory(const std::string& directory);
