// SPDX-License-Identifier: GPL-3.0-or-later
#include "riff_chunks.h"

#include <fstream>
#include <iterator>

namespace {

std::string Id(const std::vector<uint8_t>& file, size_t at)
{
    return std::string(reinterpret_cast<const char*>(file.data() + at), 4);
}

// Walks the chunks in [begin, end), descending into the LIST chunks that hold headers.
void Walk(const std::vector<uint8_t>& file, size_t begin, size_t end, AviChunks& out)
{
    size_t at = begin;
    while (at + 8 <= end) {
        const std::string id = Id(file, at);
        const size_t size = Field32(file, at + 4);
        const size_t body = at + 8;
        if (body + size > file.size())
            return;
        if (id == "LIST" || id == "RIFF") {
            const std::string kind = Id(file, body);
            if (kind == "strl")
                out.streams.emplace_back();
            if (kind != "movi")
                Walk(file, body + 4, body + size, out);
        } else if (id == "strh" && !out.streams.empty()) {
            out.streams.back().strh.assign(file.begin() + static_cast<long>(body), file.begin() + static_cast<long>(body + size));
        } else if (id == "strf" && !out.streams.empty()) {
            out.streams.back().strf.assign(file.begin() + static_cast<long>(body), file.begin() + static_cast<long>(body + size));
        } else if (id == "idx1") {
            for (size_t e = body; e + 16 <= body + size; e += 16)
                out.index.push_back({Id(file, e), Field32(file, e + 4)});
        }
        at = body + size + (size & 1);
    }
}

} // namespace

uint32_t Field32(const std::vector<uint8_t>& bytes, size_t offset)
{
    return static_cast<uint32_t>(bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16) |
        static_cast<uint32_t>(bytes[offset + 3]) << 24;
}

uint16_t Field16(const std::vector<uint8_t>& bytes, size_t offset)
{
    return static_cast<uint16_t>(bytes[offset] | bytes[offset + 1] << 8);
}

AviChunks ReadAviChunks(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    AviChunks chunks;
    if (file.size() >= 12 && Id(file, 0) == "RIFF" && Id(file, 8) == "AVI ")
        Walk(file, 12, file.size(), chunks);
    return chunks;
}
