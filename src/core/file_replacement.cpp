#include "core/file_replacement.h"

#include "core/deckrec_error.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string RandomSuffix()
{
    static thread_local std::mt19937 rng{std::random_device{}()};
    static const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string suffix;
    for (int i = 0; i < 8; ++i)
        suffix += digits[rng() % 36];
    return suffix;
}

} // namespace

PendingReplacement::PendingReplacement(const std::string& target)
    : target_(target)
{
    // O_EXCL: a user's file that happens to have the chosen name is never written over.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = target + "." + RandomSuffix() + ".part";
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
