// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/batch_worker.h"

#include "core/owner_mark.h"

#include <atomic>
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

constexpr char kMarkVariable[] = "DECKREC_BATCH_WORKER";

std::string NewMark()
{
    static std::atomic<int> counter{0};
    return OwnMark() + "-" + std::to_string(++counter);
}

} // namespace

BatchWorker::~BatchWorker()
{
    if (pid_ > 0)
        Kill();
}

bool BatchWorker::Start(const std::string& program, const std::vector<std::string>& args, const std::string& logPath,
                        std::string& error)
{
    mark_ = NewMark();
    // Everything the child needs is prepared before the fork: after it only async-signal-safe calls.
    std::vector<std::string> argv = {program};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> argp;
    for (std::string& arg : argv)
        argp.push_back(arg.data());
    argp.push_back(nullptr);
    const std::string markSetting = std::string(kMarkVariable) + "=" + mark_;
    std::vector<char*> envp = {const_cast<char*>(markSetting.c_str())};
    for (char** entry = environ; entry && *entry; ++entry)
        if (std::strncmp(*entry, kMarkVariable, sizeof kMarkVariable - 1) != 0)
            envp.push_back(*entry);
    envp.push_back(nullptr);
    const int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (log < 0) {
        error = "cannot write its log " + logPath + ": " + std::strerror(errno);
        return false;
    }
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid < 0) {
        error = std::string("cannot start a conversion: ") + std::strerror(errno);
        close(log);
        return false;
    }
    if (pid == 0) {
        setpgid(0, 0);
        // Should the batch die without stopping it, the conversion stops itself.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
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
        execve(argp[0], argp.data(), envp.data());
        _exit(127);
    }
    close(log);
    // Also from this side, so that a signal sent before the child ran setpgid finds the group.
    setpgid(pid, pid);
    pid_ = pid;
    startedAt_ = std::chrono::steady_clock::now();
    return true;
}

bool BatchWorker::Ended(int& waitStatus)
{
    if (pid_ <= 0)
        return true;
    if (waitpid(pid_, &waitStatus, WNOHANG) != pid_)
        return false;
    pid_ = -1;
    return true;
}

void BatchWorker::AskToStop()
{
    if (pid_ <= 0 || stopAsked_)
        return;
    stopAsked_ = true;
    stopAskedAt_ = std::chrono::steady_clock::now();
    // The conversion alone: it stops its browser engine, display and LibreOffice in order,
    // while a signal to its whole group would end the engine's helpers under its feet.
    kill(pid_, SIGTERM);
}

void BatchWorker::Kill()
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

void BatchWorker::KillLeftovers() const
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
    const std::string setting = std::string(kMarkVariable) + "=" + mark;
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
        while ((at = content.find(setting, at)) != std::string::npos) {
            const bool starts = at == 0 || content[at - 1] == '\0';
            const size_t after = at + setting.size();
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
