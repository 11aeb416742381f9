#include "core/frame_store.h"

#include "core/bmp_codec.h"
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
    ByteStream bmp;
    DecompressFileToStream(files.FrameFilePath(n), bmp);
    DecodeBmp24(bmp, picture);
}

bool FrameExists(const WorkingFiles& files, int n)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(files.FrameFilePath(n), ec);
}
