// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A window that died while recording, as a crash or a power cut leaves it: a child process
// makes its working directory under the cache folder, stores frames and marks the session as
// the windows do, and is killed before it can clean up.

#include "core/frame_store.h"
#include "core/private_working_directory.h"
#include "core/unfinished_session.h"

#include <csignal>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

// The directory the child left, ending in "/"; empty when it could not make one. picture(n)
// is the frame of slot n; markedSlot is the count the mark was last brought up to.
inline std::string LeaveSessionOfKilledWindow(const std::vector<int>& storedSlots, int markedSlot,
                                              const std::function<Picture(int)>& picture)
{
    int channel[2];
    if (pipe(channel) != 0)
        return {};
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        const std::string folder = CreatePrivateWorkingDirectory("window");
        const WorkingFiles files("", folder);
        if (markedSlot > 0)
            WriteUnfinishedSessionMark(folder, markedSlot);
        for (int n : storedSlots)
            SaveFrame(files, picture(n), n);
        [[maybe_unused]] const ssize_t written = write(channel[1], folder.data(), folder.size());
        close(channel[1]);
        raise(SIGKILL);
    }
    close(channel[1]);
    std::string folder;
    char buffer[512];
    for (ssize_t got; (got = read(channel[0], buffer, sizeof buffer)) > 0;)
        folder.append(buffer, static_cast<size_t>(got));
    close(channel[0]);
    waitpid(child, nullptr, 0);
    return folder;
}
