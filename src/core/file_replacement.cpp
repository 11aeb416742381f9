// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/file_replacement.h"

#include "core/deckrec_error.h"
#include "core/owner_mark.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::string_view kPartSuffix = ".part";
constexpr size_t kRandomLength = 8;

std::string RandomSuffix()
{
    static thread_local std::mt19937 rng{std::random_device{}()};
    static const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string suffix;
    for (size_t i = 0; i < kRandomLength; ++i)
        suffix += digits[rng() % 36];
    return suffix;
}

// The owner's mark in the name of a part file of target's (name + "." + mark + "-" + eight
// characters + ".part"); empty for any other name.
std::string PartOwner(const std::string& targetName, const std::string& name)
{
    const size_t first = targetName.size() + 1;
    if (name.size() <= first + kRandomLength + 1 + kPartSuffix.size() || name.compare(0, targetName.size(), targetName) != 0 ||
        name[targetName.size()] != '.' || name.compare(name.size() - kPartSuffix.size(), kPartSuffix.size(), kPartSuffix) != 0)
        return {};
    const std::string middle = name.substr(first, name.size() - first - kPartSuffix.size());
    const size_t mark = MarkLength(middle);
    if (mark == 0 || middle.size() != mark + 1 + kRandomLength || middle[mark] != '-')
        return {};
    return middle.substr(0, mark);
}

} // namespace

void RemovePartsOfEndedRuns(const std::string& target)
{
    namespace fs = std::filesystem;
    const fs::path path(target);
    const std::string targetName = path.filename().string();
    const fs::path folder = path.parent_path().empty() ? fs::path(".") : path.parent_path();
    std::error_code ec;
    std::vector<fs::path> ended;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string owner = PartOwner(targetName, it->path().filename().string());
        std::error_code typeError;
        if (!owner.empty() && it->is_regular_file(typeError) && !it->is_symlink(typeError) && OwnerEnded(owner))
            ended.push_back(it->path());
    }
    for (const fs::path& part : ended)
        fs::remove(part, ec);
}

PendingReplacement::PendingReplacement(const std::string& target)
    : target_(target)
{
    RemovePartsOfEndedRuns(target);
    // The owner in the name, so that the next write of target removes the file should this
    // process be killed before it could.
    const std::string mark = OwnMark();
    // O_EXCL: a user's file that happens to have the chosen name is never written over.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = target + "." + (mark.empty() ? "" : mark + "-") + RandomSuffix() + ".part";
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            path_ = candidate;
            return;
        }
        if (errno != EEXIST)
            break;
    }
    throw DeckrecError("Cannot create file " + target);
}

PendingReplacement::~PendingReplacement()
{
    if (!committed_)
        ::unlink(path_.c_str());
}

void PendingReplacement::Commit()
{
    struct stat old{};
    if (::stat(target_.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        ::chmod(path_.c_str(), old.st_mode & 07777);
    if (std::rename(path_.c_str(), target_.c_str()) != 0)
        throw DeckrecError("Could not write " + target_ + ": " + std::strerror(errno));
    committed_ = true;
}
