// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/child_process.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

std::string NameOf(const std::string& setting)
{
    return setting.substr(0, setting.find('='));
}

} // namespace

bool ChildProcess::Start(const std::vector<std::string>& argv, const std::vector<std::string>& environment, int keepFd,
                         const std::string& logPath, std::string& error, const ChildOptions& options)
{
    mark_ = options.mark;
    stopAsked_ = false;
    // Everything the child needs is prepared before the fork: after it only async-signal-safe calls.
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    std::vector<std::string> given = environment;
    if (!mark_.empty())
        given.push_back(mark_);
    std::vector<char*> envp;
    for (const std::string& setting : given)
        envp.push_back(const_cast<char*>(setting.c_str()));
    for (char** entry = environ; entry && *entry; ++entry) {
        bool replaced = false;
        for (const std::string& setting : given)
            replaced = replaced || NameOf(setting) == NameOf(*entry);
        if (!replaced)
            envp.push_back(*entry);
    }
    envp.push_back(nullptr);
    const int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (log < 0) {
        error = "cannot write its log " + logPath + ": " + std::strerror(errno);
        return false;
    }
    const bool ownSession = options.ownSession;
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid < 0) {
        error = std::string("cannot start ") + argv[0] + ": " + std::strerror(errno);
        close(log);
        return false;
    }
    if (pid == 0) {
        if (ownSession)
            setsid();
        else
            setpgid(0, 0);
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        // The parent may have died before the request above took effect.
        if (getppid() != parent)
            _exit(1);
        signal(SIGINT, SIG_DFL);
        signal(SIGTERM, SIG_DFL);
        signal(SIGHUP, SIG_DFL);
        signal(SIGPIPE, SIG_DFL);
        dup2(log, STDOUT_FILENO);
        dup2(log, STDERR_FILENO);
        const int null = open("/dev/null", O_RDONLY);
        if (null >= 0)
            dup2(null, STDIN_FILENO);
        if (keepFd >= 0)
            fcntl(keepFd, F_SETFD, 0);
        execvpe(args[0], args.data(), envp.data());
        _exit(127);
    }
    close(log);
    // Also from this side, so that a signal sent before the child ran setpgid finds the group
    // (a session leader cannot be moved: only for a group).
    if (!ownSession)
        setpgid(pid, pid);
    pid_ = pid;
    startedAt_ = std::chrono::steady_clock::now();
    return true;
}

bool ChildProcess::Ended(int& waitStatus)
{
    if (pid_ <= 0)
        return true;
    if (waitpid(pid_, &waitStatus, WNOHANG) != pid_)
        return false;
    pid_ = -1;
    return true;
}

bool ChildProcess::Running()
{
    int status = 0;
    return !Ended(status);
}

void ChildProcess::AskToStop()
{
    if (pid_ <= 0 || stopAsked_)
        return;
    stopAsked_ = true;
    stopAskedAt_ = std::chrono::steady_clock::now();
    kill(pid_, SIGTERM);
}

void ChildProcess::Stop()
{
    if (pid_ > 0) {
        // Its whole group: a server may have started helpers of its own.
        kill(-pid_, SIGTERM);
        kill(pid_, SIGTERM);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        int status = 0;
        while (!Ended(status)) {
            if (std::chrono::steady_clock::now() > deadline) {
                Kill();
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    KillLeftovers();
}

void ChildProcess::Kill()
{
    if (pid_ > 0) {
        kill(-pid_, SIGKILL);
        kill(pid_, SIGKILL);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
    }
    KillLeftovers();
}

void ChildProcess::KillLeftovers() const
{
    if (mark_.empty())
        return;
    // A killed process may leave a child that is only now forked: look until none is left.
    for (int round = 0; round < 20; ++round) {
        const std::vector<pid_t> left = ProcessesMarked(mark_);
        if (left.empty())
            return;
        for (const pid_t pid : left)
            kill(pid, SIGKILL);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

std::vector<pid_t> ProcessesMarked(const std::string& mark)
{
    std::vector<pid_t> found;
    DIR* proc = opendir("/proc");
    if (!proc)
        return found;
    while (const dirent* entry = readdir(proc)) {
        char* end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        if (pid <= 0 || *end != '\0' || pid == getpid())
            continue;
        std::ifstream environment(std::string("/proc/") + entry->d_name + "/environ", std::ios::binary);
        const std::string content((std::istreambuf_iterator<char>(environment)), std::istreambuf_iterator<char>());
        // Entries are separated by NUL bytes: the mark must be a whole entry.
        size_t at = 0;
        while ((at = content.find(mark, at)) != std::string::npos) {
            const bool starts = at == 0 || content[at - 1] == '\0';
            const size_t after = at + mark.size();
            if (starts && (after == content.size() || content[after] == '\0')) {
                found.push_back(static_cast<pid_t>(pid));
                break;
            }
            at = after;
        }
    }
    closedir(proc);
    return found;
}

std::string WaitStatusText(int waitStatus)
{
    if (WIFSIGNALED(waitStatus)) {
        const int signal = WTERMSIG(waitStatus);
        const char* name = strsignal(signal);
        return "crashed (signal " + std::to_string(signal) + (name ? std::string(", ") + name : "") + ")";
    }
    if (WIFEXITED(waitStatus))
        return "ended with status " + std::to_string(WEXITSTATUS(waitStatus));
    return "ended";
}
