#include "avi/raw_video_file.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
}

#include <cstring>

RawVideoFile::~RawVideoFile()
{
    abandon();
}

int RawVideoFile::create(const std::string& path)
{
    abandon();
    int result = avformat_alloc_output_context2(&context_, nullptr, "avi", path.c_str());
    if (result < 0)
        return result;
    result = avio_open(&context_->pb, path.c_str(), AVIO_FLAG_WRITE);
    if (result < 0)
        abandon();
    return result;
}

int RawVideoFile::addStream(int frameTime)
{
    if (!context_)
        return AVERROR(EINVAL);
    stream_ = avformat_new_stream(context_, nullptr);
    if (!stream_)
        return AVERROR(ENOMEM);
    frameTime_ = frameTime;
    stream_->time_base = AVRational{frameTime, 1000};
    stream_->avg_frame_rate = AVRational{1000, frameTime};
    return 0;
}

int RawVideoFile::setFormat(int width, int height, int bitCount, const std::vector<uint32_t>& palette)
{
    if (!context_ || !stream_)
        return AVERROR(EINVAL);
    AVCodecParameters* par = stream_->codecpar;
    par->codec_type = AVMEDIA_TYPE_VIDEO;
    par->codec_id = AV_CODEC_ID_RAWVIDEO;
    par->codec_tag = 0; // BI_RGB
    par->width = width;
    par->height = height;
    par->bits_per_coded_sample = bitCount;
    // Packed 1- and 4-bit rows are declared as PAL8 too: the muxer then writes the colour table,
    // and the bit count tells readers how the rows are packed.
    par->format = bitCount <= 8 ? AV_PIX_FMT_PAL8 : bitCount == 32 ? AV_PIX_FMT_BGRA : AV_PIX_FMT_BGR24;
    palette_ = palette;
    AVDictionary* options = nullptr;
    av_dict_set(&options, "flipped_raw_rgb", "1", 0); // rows are stored bottom-up, as in a DIB
    const int result = avformat_write_header(context_, &options);
    av_dict_free(&options);
    if (result >= 0)
        headerWritten_ = true;
    return result < 0 ? result : 0;
}

int RawVideoFile::writeFrame(const uint8_t* bytes, size_t size, int64_t index, bool keyFrame)
{
    if (!headerWritten_)
        return AVERROR(EINVAL);
    AVPacket* packet = av_packet_alloc();
    if (!packet)
        return AVERROR(ENOMEM);
    int result = av_new_packet(packet, static_cast<int>(size));
    if (result >= 0) {
        std::memcpy(packet->data, bytes, size);
        packet->stream_index = stream_->index;
        packet->pts = packet->dts = index;
        packet->duration = 1;
        // Counted in frames; the muxer may have reduced the stream's time base.
        av_packet_rescale_ts(packet, AVRational{frameTime_, 1000}, stream_->time_base);
        if (keyFrame)
            packet->flags |= AV_PKT_FLAG_KEY;
        // The colour table goes with the first frame; the muxer puts it into the format block.
        if (!palette_.empty() && !paletteSent_) {
            uint8_t* side = av_packet_new_side_data(packet, AV_PKT_DATA_PALETTE, AVPALETTE_SIZE);
            if (!side) {
                result = AVERROR(ENOMEM);
            } else {
                std::memset(side, 0, AVPALETTE_SIZE);
                for (size_t i = 0; i < palette_.size() && i < AVPALETTE_COUNT; ++i) {
                    const uint32_t argb = 0xFF000000u | palette_[i];
                    std::memcpy(side + 4 * i, &argb, 4);
                }
            }
        }
        if (result >= 0)
            result = av_write_frame(context_, packet);
        if (result >= 0)
            paletteSent_ = true;
    }
    av_packet_free(&packet);
    return result < 0 ? result : 0;
}

int RawVideoFile::finish()
{
    if (!context_)
        return AVERROR(EINVAL);
    int result = headerWritten_ ? av_write_trailer(context_) : AVERROR(EINVAL);
    const int closed = avio_closep(&context_->pb);
    if (result >= 0)
        result = closed;
    release();
    return result < 0 ? result : 0;
}

void RawVideoFile::abandon()
{
    if (!context_)
        return;
    if (context_->pb)
        avio_closep(&context_->pb);
    release();
}

void RawVideoFile::release()
{
    avformat_free_context(context_);
    context_ = nullptr;
    stream_ = nullptr;
    headerWritten_ = false;
    paletteSent_ = false;
    palette_.clear();
}
