// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/wave_contents.h"

#include "core/deckrec_error.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <vector>

namespace {

// The header of every WAVE file the recorder writes ends well within this.
constexpr size_t kLongestHeader = 4096;

uint32_t Le(const uint8_t* p, int bytes)
{
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}

void PutLe32(std::vector<uint8_t>& bytes, size_t at, uint64_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

struct Layout {
    WaveContents contents;
    long long factAt = -1; // the fact chunk's sample count, when there is one
};

std::optional<Layout> ReadLayout(const std::vector<uint8_t>& head, long long fileSize)
{
    if (head.size() < 12 || std::memcmp(head.data(), "RIFF", 4) != 0 || std::memcmp(&head[8], "WAVE", 4) != 0)
        return std::nullopt;
    Layout layout;
    uint32_t blockAlign = 0;
    uint32_t framesPerBlock = 0;
    long long factFrames = 0;
    for (size_t at = 12; at + 8 <= head.size();) {
        const uint32_t size = Le(&head[at + 4], 4);
        const uint8_t* body = &head[at + 8];
        if (std::memcmp(&head[at], "fmt ", 4) == 0 && size >= 16 && at + 8 + 16 <= head.size()) {
            const uint32_t tag = Le(body, 2);
            layout.contents.rate = static_cast<int>(Le(body + 4, 4));
            blockAlign = Le(body + 12, 2);
            const bool adpcm = tag == 0x0002 || tag == 0x0011;
            framesPerBlock = 1;
            if (adpcm)
                framesPerBlock = size >= 20 && at + 8 + 20 <= head.size() ? Le(body + 18, 2) : 0;
        } else if (std::memcmp(&head[at], "fact", 4) == 0 && size >= 4 && at + 12 <= head.size()) {
            layout.factAt = static_cast<long long>(at + 8);
            factFrames = Le(body, 4);
        } else if (std::memcmp(&head[at], "data", 4) == 0) {
            if (blockAlign == 0 || framesPerBlock == 0 || layout.contents.rate <= 0)
                return std::nullopt;
            WaveContents& c = layout.contents;
            c.dataOffset = static_cast<long long>(at + 8);
            const long long held = std::max(0LL, fileSize - c.dataOffset);
            const bool sizeHolds = size > 0 && size != UINT32_MAX && size <= held;
            c.dataBytes = (sizeHolds ? size : held) / blockAlign * blockAlign;
            const long long blocks = c.dataBytes / blockAlign;
            c.frames = blocks * framesPerBlock;
            // A finished file's last block may be filled in part: its fact chunk counts the frames.
            if (sizeHolds && factFrames > (blocks - 1) * framesPerBlock && factFrames <= c.frames)
                c.frames = factFrames;
            return layout;
        }
        at += 8 + size + (size & 1);
    }
    return std::nullopt;
}

std::vector<uint8_t> ReadHead(std::ifstream& in)
{
    std::vector<uint8_t> head(kLongestHeader);
    in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<size_t>(in.gcount()));
    return head;
}

} // namespace

std::optional<WaveContents> ReadWaveContents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return std::nullopt;
    const long long fileSize = in.tellg();
    in.seekg(0);
    const std::optional<Layout> layout = ReadLayout(ReadHead(in), fileSize);
    if (!layout)
        return std::nullopt;
    return layout->contents;
}

void CopyWaveWithTrueSizes(const std::string& from, const std::string& to)
{
    std::ifstream in(from, std::ios::binary | std::ios::ate);
    const long long fileSize = in ? static_cast<long long>(in.tellg()) : 0;
    in.seekg(0);
    std::vector<uint8_t> head = ReadHead(in);
    const std::optional<Layout> layout = ReadLayout(head, fileSize);
    if (!layout)
        throw DeckrecError("cannot read the sound in " + from + ": it is no WAVE file");
    const WaveContents& c = layout->contents;
    head.resize(static_cast<size_t>(c.dataOffset));
    PutLe32(head, 4, static_cast<uint64_t>(c.dataOffset - 8 + c.dataBytes));
    PutLe32(head, static_cast<size_t>(c.dataOffset - 4), static_cast<uint64_t>(c.dataBytes));
    if (layout->factAt >= 0)
        PutLe32(head, static_cast<size_t>(layout->factAt), static_cast<uint64_t>(c.frames));

    std::ofstream out(to, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(head.data()), static_cast<std::streamsize>(head.size()));
    in.clear();
    in.seekg(c.dataOffset);
    std::vector<char> chunk(1 << 16);
    for (long long left = c.dataBytes; left > 0 && in && out;) {
        const auto n = static_cast<std::streamsize>(std::min<long long>(left, static_cast<long long>(chunk.size())));
        in.read(chunk.data(), n);
        out.write(chunk.data(), in.gcount());
        left -= in.gcount();
        if (in.gcount() < n)
            break;
    }
    out.close();
    if (!in || !out)
        throw DeckrecError("cannot copy the sound of " + from + " to " + to);
}
