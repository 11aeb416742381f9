// SPDX-License-Identifier: GPL-3.0-or-later
#include "gif/gif_stream.h"

#include "core/deckrec_error.h"
#include "gif/gif_exception.h"

#include <cerrno>
#include <cstring>

void GifOutput::WriteWord(uint16_t value)
{
    const uint8_t bytes[2] = {static_cast<uint8_t>(value & 0xFF), static_cast<uint8_t>(value >> 8)};
    Write(bytes, 2);
}

void GifMemoryStream::Write(const void* data, size_t count)
{
    const auto* p = static_cast<const uint8_t*>(data);
    bytes.insert(bytes.end(), p, p + count);
}

GifFileStream::GifFileStream(const std::string& path)
{
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_)
        throw DeckrecError("Cannot create file " + path);
    // Sub-blocks are 256 bytes; a large buffer keeps the number of system calls low.
    std::setvbuf(file_, nullptr, _IOFBF, 1 << 16);
}

GifFileStream::~GifFileStream()
{
    if (file_)
        std::fclose(file_);
}

void GifFileStream::Write(const void* data, size_t count)
{
    if (count == 0)
        return;
    if (!file_ || std::fwrite(data, 1, count, file_) != count)
        throw DeckrecError(std::strerror(errno ? errno : EIO));
}

void GifFileStream::Close()
{
    if (!file_)
        return;
    errno = 0;
    const bool flushed = std::fflush(file_) == 0;
    const int flushError = errno;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!flushed || !closed)
        throw DeckrecError(std::strerror(flushError ? flushError : (errno ? errno : EIO)));
}

uint8_t GifReader::ReadByte()
{
    if (position_ >= size_)
        throw GIFException(gif_messages::kPrematureEnd);
    return data_[position_++];
}

uint16_t GifReader::ReadWord()
{
    const uint8_t low = ReadByte();
    return static_cast<uint16_t>(low | (ReadByte() << 8));
}

void GifReader::Read(void* target, size_t count)
{
    if (count > size_ - position_)
        throw GIFException(gif_messages::kPrematureEnd);
    std::memcpy(target, data_ + position_, count);
    position_ += count;
}
