// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/child_process.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

bool ChildProcess::Start(const std::vector<std::string>& argv, const std::vector<std::string>& environment, int keepFd,
                         const std::string& logPath, std::string& error)
{
    // Everything the child needs is prepared before the fork: after it only async-signal-safe calls.
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    // The environment of this program with the given entries in front: the first entry of a
    // name counts.
    std::vector<char*> envp;
    for (const std::string& setting : environment)
        envp.push_back(const_cast<char*>(setting.c_str()));
    for (char** entry = environ; entry && *entry; ++entry)
        envp.push_back(*entry);
    envp.push_back(nullptr);
    const pid_t parent = getpid();
    const int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);

    const pid_t pid = fork();
    if (pid < 0) {
        error = std::string("cannot start ") + argv[0] + ": " + std::strerror(errno);
        if (log >= 0)
            close(log);
        return false;
    }
    if (pid == 0) {
        setsid();
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        // The parent may have died before the request above took effect.
        if (getppid() != parent)
            _exit(1);
        signal(SIGINT, SIG_DFL);
        signal(SIGTERM, SIG_DFL);
        signal(SIGPIPE, SIG_DFL);
        if (log >= 0) {
            dup2(log, STDOUT_FILENO);
            dup2(log, STDERR_FILENO);
        }
        const int null = open("/dev/null", O_RDONLY);
        if (null >= 0)
            dup2(null, STDIN_FILENO);
        if (keepFd >= 0)
            fcntl(keepFd, F_SETFD, 0);
        execvpe(args[0], args.data(), envp.data());
        _exit(127);
    }
    if (log >= 0)
        close(log);
    pid_ = pid;
    return true;
}

bool ChildProcess::Running()
{
    if (pid_ <= 0)
        return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return false;
    }
    return true;
}

void ChildProcess::Stop()
{
    if (pid_ <= 0)
        return;
    // Its whole session: a server may have started helpers of its own.
    kill(-pid_, SIGTERM);
    kill(pid_, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(-pid_, SIGKILL);
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    pid_ = -1;
}
