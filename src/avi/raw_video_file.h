#pragma once
// The writer's temporary video file: an uncompressed AVI (BI_RGB, rows bottom-up) written by
// libavformat's muxer, every frame a key frame. Operations return 0 or the library's negative
// error code, so that the writer words each failure itself.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct AVFormatContext;
struct AVStream;

class RawVideoFile {
public:
    RawVideoFile() = default;
    ~RawVideoFile();
    RawVideoFile(const RawVideoFile&) = delete;
    RawVideoFile& operator=(const RawVideoFile&) = delete;

    // Creates the file at path (replacing one that is there).
    int create(const std::string& path);
    // Adds the video stream; frame time in milliseconds.
    int addStream(int frameTime);
    // Fixes the stream format from the first frame and writes the file header. palette holds
    // 2^bitCount entries (0x00RRGGBB) for 1, 4 and 8 bits and is empty otherwise.
    int setFormat(int width, int height, int bitCount, const std::vector<uint32_t>& palette);
    // Appends one frame's bytes (rows bottom-up, each padded to 4 bytes) at position index.
    int writeFrame(const uint8_t* bytes, size_t size, int64_t index, bool keyFrame);
    // Writes the index and closes the file; the file is complete only after this.
    int finish();
    // Closes the file as it stands, without its index.
    void abandon();

    bool isOpen() const { return context_ != nullptr; }
    bool formatSet() const { return headerWritten_; }

private:
    void release();

    AVFormatContext* context_ = nullptr;
    AVStream* stream_ = nullptr;
    bool headerWritten_ = false;
    bool paletteSent_ = false;
    int frameTime_ = 1000;
    std::vector<uint32_t> palette_;
};
