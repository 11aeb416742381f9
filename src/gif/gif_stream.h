// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Byte streams the GIF writer works on: memory (copies, tests, the preview's copy of an
// image), a file (Save to GIF), and a reader over memory for the extension round trip.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class GifOutput {
public:
    virtual ~GifOutput() = default;
    virtual void Write(const void* data, size_t count) = 0;
    void WriteByte(uint8_t value) { Write(&value, 1); }
    // 16 bits, little-endian, as every number in a GIF file.
    void WriteWord(uint16_t value);
};

class GifMemoryStream : public GifOutput {
public:
    void Write(const void* data, size_t count) override;
    std::vector<uint8_t> bytes;
};

// Creates or replaces the file at once; failures carry the texts the user sees:
// "Cannot create file <path>" when it cannot be created, the system's text for a failed write.
class GifFileStream : public GifOutput {
public:
    explicit GifFileStream(const std::string& path);
    ~GifFileStream() override;
    GifFileStream(const GifFileStream&) = delete;
    GifFileStream& operator=(const GifFileStream&) = delete;

    void Write(const void* data, size_t count) override;
    // Flushes and closes; a write error that only shows on flushing is raised here.
    void Close();

private:
    std::FILE* file_ = nullptr;
};

// Reads what a GifOutput wrote; running past the end raises "Premature end of data".
class GifReader {
public:
    GifReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    explicit GifReader(const std::vector<uint8_t>& bytes) : GifReader(bytes.data(), bytes.size()) {}

    uint8_t ReadByte();
    uint16_t ReadWord();
    void Read(void* target, size_t count);
    bool AtEnd() const { return position_ >= size_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};

// A write-only adapter over another output; the sub-block writer of the encoder builds on it.
class TGIFStream : public GifOutput {
public:
    explicit TGIFStream(GifOutput& target) : target_(target) {}
    void Write(const void* data, size_t count) override { target_.Write(data, count); }

protected:
    GifOutput& target_;
};
