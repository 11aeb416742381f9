// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ffmpeg/ffmpeg_encoder_catalogue.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <set>

namespace {

// Tags that players know best for encoders whose codec has several.
const std::map<std::string, std::string>& PreferredTags()
{
    static const std::map<std::string, std::string> tags = {
        {"mpeg4", "DIVX"},
        {"libxvid", "XVID"},
        // h263 takes only the few standard picture sizes; h263p any.
        {"h263p", "H263"},
    };
    return tags;
}

std::string Folded(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

bool Printable(const std::string& code)
{
    return code.size() == 4 && std::all_of(code.begin(), code.end(), [](char c) {
        return c >= 0x20 && c < 0x7F;
    });
}

// Further AVI tags of codecs that have more than one encoder here, so that each encoder
// gets a code of its own; a tag counts only when the AVI table maps it to the same codec.
const char* const kAlternateTags[] = {"XVID", "DX50", "FMP4", "X264", "avc1", "MJ2C", "LJ2C",
                                      "X263", "T263", "VP80", "VP90", "HEVC", "H265", "AVRn",
                                      "MP2V", "theo", "SNOW"};

unsigned TagValue(const std::string& code)
{
    unsigned tag = 0;
    for (int i = 3; i >= 0; --i)
        tag = (tag << 8) | static_cast<unsigned char>(code[static_cast<size_t>(i)]);
    return tag;
}

// True when an AVI file may carry codec id under code.
bool TagMeans(const std::string& code, AVCodecID codecId)
{
    const AVCodecTag* const table[] = {avformat_get_riff_video_tags(), nullptr};
    unsigned main = 0;
    return av_codec_get_id(table, TagValue(code)) == codecId ||
        (av_codec_get_tag2(table, codecId, &main) && main == TagValue(code));
}

// The codec's main AVI tag first, then the alternates that mean the same codec.
std::vector<std::string> TagsOf(AVCodecID codecId)
{
    std::vector<std::string> tags;
    const AVCodecTag* const table[] = {avformat_get_riff_video_tags(), nullptr};
    unsigned tag = 0;
    if (!av_codec_get_tag2(table, codecId, &tag))
        return tags;
    tags.push_back(FourccText(tag));
    for (const char* alternate : kAlternateTags)
        if (TagMeans(alternate, codecId))
            tags.push_back(alternate);
    return tags;
}

} // namespace

std::string FourccText(unsigned tag)
{
    std::string text(4, ' ');
    for (int i = 0; i < 4; ++i)
        text[static_cast<size_t>(i)] = static_cast<char>((tag >> (8 * i)) & 0xFF);
    return text;
}

std::vector<CatalogueEncoder> BuildEncoderCatalogue()
{
    std::vector<const AVCodec*> encoders;
    void* iterator = nullptr;
    while (const AVCodec* codec = av_codec_iterate(&iterator))
        if (av_codec_is_encoder(codec) && codec->type == AVMEDIA_TYPE_VIDEO)
            encoders.push_back(codec);

    // Preferred tags are claimed first, so that an earlier encoder of the same codec cannot
    // take them; every other encoder then takes its codec's first free tag.
    std::set<std::string> taken; // folded codes
    std::map<const AVCodec*, std::string> codes;
    for (const AVCodec* codec : encoders) {
        const auto preferred = PreferredTags().find(codec->name);
        if (preferred != PreferredTags().end() && !taken.count(Folded(preferred->second)) &&
            TagMeans(preferred->second, codec->id)) {
            taken.insert(Folded(preferred->second));
            codes[codec] = preferred->second;
        }
    }
    std::vector<CatalogueEncoder> catalogue;
    for (const AVCodec* codec : encoders) {
        if (!codes.count(codec)) {
            for (const std::string& code : TagsOf(codec->id)) {
                if (Printable(code) && !taken.count(Folded(code))) {
                    taken.insert(Folded(code));
                    codes[codec] = code;
                    break;
                }
            }
        }
        if (codes.count(codec))
            catalogue.push_back({codes[codec], codec});
    }
    return catalogue;
}
