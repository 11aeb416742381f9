// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/private_working_directory.h"

#include "core/deckrec_error.h"
#include "core/owner_mark.h"
#include "core/unfinished_session.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string HomeFolder()
{
    const char* home = std::getenv("HOME");
    if (home && *home)
        return home;
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir)
        return entry->pw_dir;
    return "/tmp";
}

std::string WithoutSlash(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// The owner's mark in a working directory's name, tag + "-" + mark + "-" + six characters;
// empty for any other name.
std::string MarkInName(const std::string& name)
{
    const size_t tagEnd = name.find('-');
    if (tagEnd == std::string::npos || tagEnd == 0)
        return {};
    for (size_t i = 0; i < tagEnd; ++i)
        if (name[i] < 'a' || name[i] > 'z')
            return {};
    const std::string rest = name.substr(tagEnd + 1);
    const size_t mark = MarkLength(rest);
    if (mark == 0 || rest.size() != mark + 7 || rest[mark] != '-')
        return {};
    return rest.substr(0, mark);
}

} // namespace

std::string DeckrecCacheFolder()
{
    // A relative XDG_CACHE_HOME is invalid and must be ignored.
    const char* cache = std::getenv("XDG_CACHE_HOME");
    const std::string base = cache && cache[0] == '/' ? std::string(cache) : HomeFolder() + "/.cache";
    return base + "/deckrec/";
}

std::string CreatePrivateWorkingDirectory(const std::string& tag)
{
    const std::string parent = DeckrecCacheFolder();
    std::error_code ec;
    fs::create_directories(parent, ec);
    // The owner in the name, so that a later run removes the folder should this one be killed.
    const std::string mark = OwnMark();
    std::string pattern = parent + tag + (mark.empty() ? "" : "-" + mark) + "-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!mkdtemp(name.data()))
        throw DeckrecError("Cannot create a working folder in " + parent + ": " + std::strerror(errno));
    return std::string(name.data()) + "/";
}

void RemovePrivateWorkingDirectory(const std::string& directory)
{
    std::error_code ec;
    const fs::path cache = fs::weakly_canonical(WithoutSlash(DeckrecCacheFolder()), ec);
    const fs::path target = fs::weakly_canonical(WithoutSlash(directory), ec);
    if (ec || target.parent_path() != cache || target.filename().empty())
        return;
    fs::remove_all(target, ec);
}

void RemoveWorkingDirectoriesOfEndedRuns()
{
    std::vector<std::string> ended;
    std::error_code ec;
    for (fs::directory_iterator it(DeckrecCacheFolder(), ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        const std::string mark = MarkInName(it->path().filename().string());
        // A window that died while recording left frames its next start offers back.
        if (!mark.empty() && it->is_directory(typeError) && !it->is_symlink(typeError) && OwnerEnded(mark) &&
            !FindUnfinishedSession(it->path().string()))
            ended.push_back(it->path().string());
    }
    for (const std::string& directory : ended)
        RemovePrivateWorkingDirectory(directory);
}
