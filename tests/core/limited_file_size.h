// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A disk that fills up part-way through a write, for tests: the action runs in a forked child
// whose files may not grow beyond `bytes`, so a write past it fails with EFBIG after writing
// what fits. SIGXFSZ is ignored there; the limit never reaches the test process itself.

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

// The action's result (0..253) as the child's exit status; 254 when it threw, -1 when the
// child could not run or died.
inline int RunWithFileSizeLimit(rlim_t bytes, const std::function<int()>& action)
{
    const pid_t pid = fork();
    if (pid == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, bytes};
        int code = setrlimit(RLIMIT_FSIZE, &limit) == 0 ? 253 : 252;
        if (code == 253) {
            try {
                code = action();
            } catch (...) {
                code = 254;
            }
        }
        _exit(code);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}
