// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ffmpeg/ffmpeg_encoder_options.h"

#include "core/deckrec_error.h"
#include "platform/ffmpeg/libav_support.h"

extern "C" {
#include <libavutil/opt.h>
}

#include <cstdio>
#include <memory>

namespace {

bool Editable(const AVOption& option)
{
    const int wanted = AV_OPT_FLAG_ENCODING_PARAM | AV_OPT_FLAG_VIDEO_PARAM;
    return option.type != AV_OPT_TYPE_CONST && (option.flags & wanted) == wanted &&
        !(option.flags & (AV_OPT_FLAG_DEPRECATED | AV_OPT_FLAG_READONLY));
}

std::string RealText(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

std::vector<std::pair<std::string, int64_t>> ConstantsOf(const AVClass* const* cls, const char* unit)
{
    std::vector<std::pair<std::string, int64_t>> constants;
    if (!unit)
        return constants;
    const AVOption* option = nullptr;
    while ((option = av_opt_next(cls, option)))
        if (option->type == AV_OPT_TYPE_CONST && option->unit && std::string(option->unit) == unit)
            constants.emplace_back(option->name, option->default_val.i64);
    return constants;
}

// Kind, range and default of one option; false for types without an editor here.
bool Describe(const AVClass* const* cls, const AVOption& option, EncoderOption& out)
{
    out.name = option.name;
    out.help = option.help ? option.help : "";
    out.minimum = option.min;
    out.maximum = option.max;
    switch (option.type) {
    case AV_OPT_TYPE_INT:
    case AV_OPT_TYPE_INT64:
    case AV_OPT_TYPE_UINT64:
        out.constants = ConstantsOf(cls, option.unit);
        out.kind = out.constants.empty() ? EncoderOption::Kind::Integer : EncoderOption::Kind::Choice;
        out.defaultValue = std::to_string(option.default_val.i64);
        return true;
    case AV_OPT_TYPE_FLAGS:
        out.constants = ConstantsOf(cls, option.unit);
        out.kind = EncoderOption::Kind::Flags;
        out.defaultValue = std::to_string(option.default_val.i64);
        return true;
    case AV_OPT_TYPE_BOOL:
        // -1 is "auto": a choice of three rather than a box to tick.
        out.defaultValue = std::to_string(option.default_val.i64);
        if (option.default_val.i64 < 0) {
            out.kind = EncoderOption::Kind::Choice;
            out.constants = {{"auto", -1}, {"false", 0}, {"true", 1}};
        } else {
            out.kind = EncoderOption::Kind::Boolean;
        }
        return true;
    case AV_OPT_TYPE_DOUBLE:
    case AV_OPT_TYPE_FLOAT:
        out.kind = EncoderOption::Kind::Real;
        out.defaultValue = RealText(option.default_val.dbl);
        return true;
    case AV_OPT_TYPE_STRING:
    case AV_OPT_TYPE_DICT:
    case AV_OPT_TYPE_IMAGE_SIZE:
    case AV_OPT_TYPE_RATIONAL:
    case AV_OPT_TYPE_VIDEO_RATE:
    case AV_OPT_TYPE_DURATION:
    case AV_OPT_TYPE_COLOR:
        out.kind = EncoderOption::Kind::Text;
        out.defaultValue = option.type == AV_OPT_TYPE_STRING && option.default_val.str ? option.default_val.str : "";
        return true;
    default:
        return false;
    }
}

} // namespace

std::vector<EncoderOption> DescribeEncoderOptions(const AVCodec* codec,
                                                  const std::map<std::string, std::string>& values)
{
    std::vector<EncoderOption> described;
    if (!codec->priv_class)
        return described;
    const AVClass* const* cls = &codec->priv_class;
    const AVOption* option = nullptr;
    while ((option = av_opt_next(cls, option))) {
        EncoderOption out;
        if (!Editable(*option) || !Describe(cls, *option, out))
            continue;
        const auto set = values.find(out.name);
        out.value = set != values.end() ? set->second : out.defaultValue;
        described.push_back(std::move(out));
    }
    return described;
}

void CheckEncoderOption(const AVCodec* codec, const std::string& name, const std::string& value)
{
    CodecContextPtr ctx(avcodec_alloc_context3(codec));
    const AVOption* option =
        ctx && ctx->priv_data ? av_opt_find(ctx->priv_data, name.c_str(), nullptr, 0, 0) : nullptr;
    if (!option || !Editable(*option))
        throw DeckrecError("The encoder has no option " + name);
    if (av_opt_set(ctx->priv_data, name.c_str(), value.c_str(), 0) < 0)
        throw DeckrecError("Invalid value \"" + value + "\" for " + name);
}
