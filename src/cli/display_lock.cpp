// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/display_lock.h"

#include "core/private_working_directory.h"

#include <cctype>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

DisplayLock::DisplayLock(const std::string& display, const std::function<void()>& waiting,
                         const std::function<bool()>& interrupted)
{
    std::string name;
    for (char ch : display)
        name += (std::isalnum(static_cast<unsigned char>(ch)) || ch == '.') ? ch : '_';
    std::error_code ec;
    std::filesystem::create_directories(DeckrecCacheFolder(), ec);
    const std::string path = DeckrecCacheFolder() + "display" + name + ".lock";
    fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0) {
        // Without a lock file the run goes on unguarded rather than not at all.
        held_ = true;
        return;
    }
    if (flock(fd_, LOCK_EX | LOCK_NB) == 0) {
        held_ = true;
        return;
    }
    waiting();
    while (!interrupted()) {
        if (flock(fd_, LOCK_EX | LOCK_NB) == 0) {
            held_ = true;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

DisplayLock::~DisplayLock()
{
    if (fd_ >= 0)
        close(fd_); // releases the lock
}
