// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/interruption.h"

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

std::atomic<bool> interrupted{false};
int wakePipe[2] = {-1, -1};

void OnSignal(int)
{
    interrupted = true;
    const char byte = 1;
    // The pipe only needs to become readable once; a full pipe already is.
    [[maybe_unused]] const ssize_t written = write(wakePipe[1], &byte, 1);
}

} // namespace

void CatchInterruptions()
{
    if (wakePipe[0] < 0 && pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

bool Interrupted()
{
    return interrupted;
}

int InterruptionDescriptor()
{
    return wakePipe[0];
}
