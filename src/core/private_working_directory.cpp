#include "core/private_working_directory.h"

#include "core/deckrec_error.h"

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
    std::string pattern = parent + tag + "-XXXXXX";
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
