#include "app/frame_store.h"

#include "app/bmp_codec.h"
#include "app/working_files.h"
#include "app/zlib_stream.h"

#include <filesystem>

void SaveFrame(const Picture& picture, int n)
{
    thread_local ByteStream bmp; // reused: its capacity outlives the frame
    bmp.clear();
    EncodeBmp24(picture, bmp);
    CompressStreamToFile(bmp, FrameFilePath(n));
}

void LoadFrame(int n, Picture& picture)
{
    ByteStream bmp;
    DecompressFileToStream(FrameFilePath(n), bmp);
    DecodeBmp24(bmp, picture);
}

bool FrameExists(int n)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(FrameFilePath(n), ec);
}
