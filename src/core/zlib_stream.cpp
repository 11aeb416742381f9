// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/zlib_stream.h"

#include "core/deckrec_error.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <unistd.h>
#include <zlib.h>

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

ByteStream ReadWholeFile(const std::string& path)
{
    File file(std::fopen(path.c_str(), "rb"));
    if (!file)
        throw DeckrecError("Cannot open file " + path);
    ByteStream bytes;
    uint8_t chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    if (std::ferror(file.get()))
        throw DeckrecError(std::string("Read error: ") + std::strerror(errno));
    return bytes;
}

} // namespace

void CompressStreamToFile(const ByteStream& source, const std::string& path)
{
    // The whole stream is built in memory first, so a failing compression leaves no file.
    // One buffer per thread, kept between frames: a fresh 0.8 MB buffer for every slot costs
    // more in page faults and zero-filling than the compression itself.
    thread_local ByteStream packed;
    uLongf packedSize = compressBound(static_cast<uLong>(source.size()));
    if (packed.size() < packedSize)
        packed.resize(packedSize);
    // compress2 uses window bits 15 and memory level 8: the header comes out as 78 01.
    if (compress2(packed.data(), &packedSize, source.data(), static_cast<uLong>(source.size()), 1) != Z_OK)
        throw DeckrecError("error");

    // The stream goes to a name of its own and is renamed into place only when it is all on
    // disk: a write that fails part-way (disk full, quota) leaves no file at all, so the
    // readers never meet a truncated frame. A rename costs far less than the compression.
    const std::string part = PartialFramePath(path);
    const int fd = ::open(part.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        throw DeckrecError("Cannot create file " + path);
    int error = 0;
    for (size_t done = 0; done < packedSize && error == 0;) {
        const ssize_t wrote = ::write(fd, packed.data() + done, packedSize - done);
        if (wrote > 0)
            done += static_cast<size_t>(wrote);
        else if (wrote < 0 && errno != EINTR)
            error = errno;
        else if (wrote == 0)
            error = EIO;
    }
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && std::rename(part.c_str(), path.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(part.c_str());
        throw DeckrecError("Write error: " + path + ": " + std::strerror(error));
    }
}

std::string PartialFramePath(const std::string& path)
{
    return path + ".part";
}

void DecompressFileToStream(const std::string& path, ByteStream& target)
{
    ByteStream packed = ReadWholeFile(path);

    z_stream zs{};
    if (inflateInit(&zs) != Z_OK)
        throw DeckrecError("error");
    std::unique_ptr<z_stream, int (*)(z_stream*)> guard(&zs, inflateEnd);
    zs.next_in = packed.data();
    zs.avail_in = static_cast<uInt>(packed.size());

    uint8_t step[65536];
    for (;;) {
        zs.next_out = step;
        zs.avail_out = sizeof step;
        const int rc = inflate(&zs, Z_NO_FLUSH);
        const size_t produced = sizeof step - zs.avail_out;
        if (rc == Z_DATA_ERROR || rc == Z_NEED_DICT || rc == Z_MEM_ERROR || rc == Z_STREAM_ERROR)
            throw DeckrecError("error");
        if (target.size() + produced > kMaxDecodedBytes)
            throw DeckrecError("error");
        target.insert(target.end(), step, step + produced);
        // Z_STREAM_END: trailing bytes are ignored. Z_BUF_ERROR with nothing produced:
        // the file ended early, and what was decoded so far stands.
        if (rc == Z_STREAM_END || produced == 0)
            break;
    }
}
