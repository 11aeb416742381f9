// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/frame_store.h"

#include "core/bmp_codec.h"
#include "core/deckrec_error.h"
#include "core/zlib_stream.h"

#include <filesystem>

void SaveFrame(const WorkingFiles& files, const Picture& picture, int n)
{
    thread_local ByteStream bmp; // reused: its capacity outlives the frame
    bmp.clear();
    EncodeBmp24(picture, bmp);
    CompressStreamToFile(bmp, files.FrameFilePath(n));
}

void LoadFrame(const WorkingFiles& files, int n, Picture& picture)
{
    const std::string path = files.FrameFilePath(n);
    ByteStream bmp;
    try {
        DecompressFileToStream(path, bmp);
        DecodeBmp24(bmp, picture);
    } catch (const DeckrecError& e) {
        // The codecs know no file names; whoever reads the message needs the damaged file,
        // the one a link (an export's view of a kept recording) points to. Data that does not
        // inflate is as much an invalid bitmap as data that does not decode.
        std::string message = e.what();
        if (message.find(path) != std::string::npos)
            throw;
        if (message == "error")
            message = "Bitmap image is not valid";
        std::error_code ec;
        const std::filesystem::path real = std::filesystem::canonical(path, ec);
        throw DeckrecError(message + " (" + (ec ? path : real.string()) + ")");
    }
}

bool FrameExists(const WorkingFiles& files, int n)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(files.FrameFilePath(n), ec);
}
