// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the frame reader's decoding path: inflate, then the BMP loader.
// The only acceptable outcomes are a picture or a DeckrecError.
#include "core/bmp_codec.h"
#include "core/deckrec_error.h"
#include "core/zlib_stream.h"

#include <cstdio>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = "/tmp/deckrec-fuzz-" + std::to_string(getpid()) + ".bmp";
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    try {
        ByteStream bmp;
        DecompressFileToStream(path, bmp);
        Picture picture;
        DecodeBmp24(bmp, picture);
    } catch (const DeckrecError&) {
    }
    // The raw bytes as a BMP too, so the loader is reached without a valid zlib stream.
    try {
        Picture picture;
        DecodeBmp24(ByteStream(data, data + size), picture);
    } catch (const DeckrecError&) {
    }
    return 0;
}
