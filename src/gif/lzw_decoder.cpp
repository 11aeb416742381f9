// SPDX-License-Identifier: GPL-3.0-or-later
#include "gif/lzw_decoder.h"

#include "gif/gif_exception.h"

#include <cstring>
#include <vector>

namespace {

[[noreturn]] void Corrupt()
{
    throw GIFException(gif_messages::kPrematureEnd);
}

// The code bits of the sub-blocks, least significant bit first.
class CodeReader {
public:
    CodeReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    // -1 at the block terminator.
    int Next(int bits)
    {
        while (count_ < bits) {
            if (left_ == 0) {
                if (position_ >= size_)
                    Corrupt();
                left_ = data_[position_++];
                if (left_ == 0) {
                    ended_ = true;
                    return -1;
                }
            }
            if (position_ >= size_)
                Corrupt();
            bucket_ |= static_cast<uint32_t>(data_[position_++]) << count_;
            count_ += 8;
            --left_;
        }
        const int code = static_cast<int>(bucket_ & ((1u << bits) - 1));
        bucket_ >>= bits;
        count_ -= bits;
        return code;
    }
    // Skips what is left up to the block terminator.
    void Finish()
    {
        while (!ended_) {
            position_ += left_;
            if (position_ >= size_)
                Corrupt();
            left_ = data_[position_++];
            ended_ = left_ == 0;
        }
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
    size_t left_ = 0;
    uint32_t bucket_ = 0;
    int count_ = 0;
    bool ended_ = false;
};

} // namespace

void DecodeLzwImage(const uint8_t* data, size_t size, uint8_t* pixels, size_t pixelCount)
{
    std::memset(pixels, 0, pixelCount);
    if (size < 1)
        Corrupt();
    const int rootBits = data[0];
    if (rootBits < 2 || rootBits > 8)
        Corrupt();
    CodeReader reader(data + 1, size - 1);
    const int clear = 1 << rootBits;
    const int eoi = clear + 1;
    // Each string is its prefix code and its last pixel; its first pixel and length are kept
    // to write it backwards in one pass.
    std::vector<uint16_t> prefix(4096);
    std::vector<uint8_t> suffix(4096), first(4096);
    std::vector<uint16_t> length(4096);
    for (int c = 0; c < clear; ++c) {
        suffix[c] = first[c] = static_cast<uint8_t>(c);
        length[c] = 1;
    }
    int bits = rootBits + 1;
    int next = eoi + 1;
    int previous = -1;
    size_t out = 0;
    for (;;) {
        const int code = reader.Next(bits);
        if (code < 0)
            return;
        if (code == clear) {
            bits = rootBits + 1;
            next = eoi + 1;
            previous = -1;
            continue;
        }
        if (code == eoi)
            break;
        int string = code;
        if (previous < 0) {
            if (code >= clear)
                Corrupt();
        } else if (next < 4096) {
            if (code > next)
                Corrupt();
            // A code one past the last is the previous string and its own first pixel.
            const uint8_t head = code == next ? first[previous] : first[code];
            prefix[next] = static_cast<uint16_t>(previous);
            suffix[next] = head;
            first[next] = first[previous];
            length[next] = static_cast<uint16_t>(length[previous] + 1);
            ++next;
            if (next == (1 << bits) && bits < 12)
                ++bits;
        } else if (code >= next) {
            Corrupt();
        }
        const size_t n = length[string];
        size_t end = out + n;
        for (size_t i = end; i > out; --i, string = prefix[string])
            if (i - 1 < pixelCount)
                pixels[i - 1] = suffix[string];
        out = end;
        previous = code;
    }
    reader.Finish();
}
