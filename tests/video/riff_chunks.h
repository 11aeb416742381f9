// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reads the header chunks and the index of an AVI file, to check what the headers say
// independently of any AVI library.

#include <cstdint>
#include <string>
#include <vector>

struct AviStreamChunks {
    std::vector<uint8_t> strh; // stream header
    std::vector<uint8_t> strf; // stream format: BITMAPINFO or WAVEFORMATEX
};

struct AviIndexEntry {
    std::string id; // e.g. "00dc", "01wb"
    uint32_t flags = 0;
};

struct AviChunks {
    std::vector<AviStreamChunks> streams;
    std::vector<AviIndexEntry> index; // idx1
};

AviChunks ReadAviChunks(const std::string& path);

// Little-endian field at offset.
uint32_t Field32(const std::vector<uint8_t>& bytes, size_t offset);
uint16_t Field16(const std::vector<uint8_t>& bytes, size_t offset);
