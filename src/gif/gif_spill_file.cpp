// SPDX-License-Identifier: GPL-3.0-or-later
#include "gif/gif_spill_file.h"

#include "core/deckrec_error.h"
#include "gif/gif_exception.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

GifSpillFile::GifSpillFile(const std::string& folder)
{
    std::string dir = folder;
    if (!dir.empty() && dir.back() != '/')
        dir += '/';
    std::string name = dir + "_gifframes-XXXXXX";
    std::vector<char> path(name.begin(), name.end());
    path.push_back('\0');
    fd_ = mkostemp(path.data(), O_CLOEXEC);
    if (fd_ < 0)
        throw DeckrecError("Cannot create file " + dir + "_gifframes.bin");
    unlink(path.data());
}

GifSpillFile::~GifSpillFile()
{
    if (fd_ >= 0)
        close(fd_);
}

long long GifSpillFile::Append(const std::vector<uint8_t>& bytes)
{
    const long long offset = end_;
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw DeckrecError(std::strerror(n < 0 ? errno : ENOSPC));
        done += static_cast<size_t>(n);
    }
    end_ += static_cast<long long>(bytes.size());
    return offset;
}

void GifSpillFile::Read(long long offset, size_t size, std::vector<uint8_t>& bytes) const
{
    bytes.resize(size);
    size_t done = 0;
    while (done < size) {
        const ssize_t n = pread(fd_, bytes.data() + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw DeckrecError(std::strerror(errno));
        if (n == 0)
            throw GIFException(gif_messages::kPrematureEnd);
        done += static_cast<size_t>(n);
    }
}
