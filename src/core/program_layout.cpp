// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/program_layout.h"

#include "core/private_working_directory.h"

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <sys/types.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// A window's directory carries its owner's mark like every working directory, so that a later
// start can tell whether its owner still runs.
const std::string kWindowTag = "window-";

// "window", to which the working directory adds this process's mark.
std::string WindowDirectoryTag()
{
    return kWindowTag.substr(0, kWindowTag.size() - 1);
}

// The process id in the name of a window directory of an older version, which named only the
// process ("window-" + pid + "-" + six characters), or 0 for any other name.
pid_t OwnerOf(const std::string& name)
{
    if (name.compare(0, kWindowTag.size(), kWindowTag) != 0)
        return 0;
    const size_t dash = name.find('-', kWindowTag.size());
    if (dash == std::string::npos || dash == kWindowTag.size() || dash > kWindowTag.size() + 9 ||
        name.size() != dash + 7)
        return 0;
    pid_t pid = 0;
    for (size_t i = kWindowTag.size(); i < dash; ++i) {
        if (name[i] < '0' || name[i] > '9')
            return 0;
        pid = pid * 10 + (name[i] - '0');
    }
    return pid;
}

bool ProcessRuns(pid_t pid)
{
    // EPERM: the process exists but belongs to someone else.
    return kill(pid, 0) == 0 || errno == EPERM;
}

} // namespace

std::string InstalledDataFolder(const std::string& executableFolder)
{
    std::error_code ec;
    const fs::path data = fs::path(executableFolder) / ".." / "share" / "deckrec";
    if (!fs::is_regular_file(data / "main.htm", ec))
        return "";
    return fs::weakly_canonical(data, ec).string() + "/";
}

ProgramLayout::ProgramLayout(const std::string& executableFolder)
    : privateDirectory_([&] {
        if (InstalledDataFolder(executableFolder).empty())
            return std::string();
        RemoveStaleWorkingDirectories();
        return CreatePrivateWorkingDirectory(WindowDirectoryTag());
    }())
    , files_(privateDirectory_.empty()
                 ? WorkingFiles::InProgramFolder(executableFolder)
                 : WorkingFiles(InstalledDataFolder(executableFolder), privateDirectory_))
    , unfinished_(privateDirectory_.empty() ? FindUnfinishedSession(files_.WorkingDirectory())
                                            : LatestUnfinishedSessionInCache())
{
}

ProgramLayout::~ProgramLayout()
{
    if (!privateDirectory_.empty())
        RemovePrivateWorkingDirectory(privateDirectory_);
}

void RemoveStaleWorkingDirectories()
{
    RemoveWorkingDirectoriesOfEndedRuns();
    std::vector<std::string> stale;
    std::error_code ec;
    for (fs::directory_iterator it(DeckrecCacheFolder(), ec), end; !ec && it != end; it.increment(ec)) {
        const pid_t owner = OwnerOf(it->path().filename().string());
        if (owner > 0 && !ProcessRuns(owner) && !FindUnfinishedSession(it->path().string()))
            stale.push_back(it->path().string());
    }
    for (const std::string& directory : stale)
        RemovePrivateWorkingDirectory(directory);
}

std::optional<UnfinishedSession> LatestUnfinishedSessionInCache()
{
    std::optional<UnfinishedSession> latest;
    fs::file_time_type latestTime;
    std::error_code ec;
    for (fs::directory_iterator it(DeckrecCacheFolder(), ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_directory(typeError) || it->is_symlink(typeError))
            continue;
        const std::optional<UnfinishedSession> session = FindUnfinishedSession(it->path().string());
        if (!session)
            continue;
        std::error_code timeError;
        const fs::file_time_type time =
            fs::last_write_time(it->path() / kUnfinishedSessionMarkName, timeError);
        if (!latest || time > latestTime) {
            latest = session;
            latestTime = time;
        }
    }
    return latest;
}
