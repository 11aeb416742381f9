// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Encoded frames that do not stay in memory: appended to one file in a folder given by the
// caller (the working directory), read back by offset. The file has no name from the start
// (it is removed from the folder as soon as it is open), so it goes away with its owner, or
// with the process, and never outlives a build.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class GifSpillFile {
public:
    // Raises DeckrecError "Cannot create file <folder>_gifframes.bin" when the folder takes no file.
    explicit GifSpillFile(const std::string& folder);
    ~GifSpillFile();
    GifSpillFile(const GifSpillFile&) = delete;
    GifSpillFile& operator=(const GifSpillFile&) = delete;

    // Returns the offset of the bytes; a failed write raises the system's text.
    long long Append(const std::vector<uint8_t>& bytes);
    // Safe from several threads at once (positioned reads).
    void Read(long long offset, size_t size, std::vector<uint8_t>& bytes) const;
    long long Size() const { return end_; }

private:
    int fd_ = -1;
    long long end_ = 0;
};
