// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ffmpeg/ffmpeg_encoder_quality.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/opt.h>
}

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

namespace {

enum class Control {
    QScale,       // fixed quantiser through global_quality
    TheoraScale,  // libtheora's 0..10 through global_quality
    Option,       // a named option of the encoder or of the codec context
    BitsPerPixel, // a bit rate for the frame size and rate
};

struct Rule {
    const char* encoder;
    Control control;
    const char* option; // for Option
    double worst;       // value at quality 0
    double best;        // value at quality 10000
    const char* scale;  // shown to the user
};

constexpr Rule kRules[] = {
    {"mpeg4", Control::QScale, nullptr, 31, 2, "qscale 31..2"},
    {"msmpeg4v2", Control::QScale, nullptr, 31, 3, "qscale 31..3"},
    {"msmpeg4", Control::QScale, nullptr, 31, 3, "qscale 31..3"},
    {"wmv1", Control::QScale, nullptr, 31, 2, "qscale 31..2"},
    {"wmv2", Control::QScale, nullptr, 31, 2, "qscale 31..2"},
    {"flv", Control::QScale, nullptr, 31, 2, "qscale 31..2"},
    {"h263", Control::QScale, nullptr, 31, 3, "qscale 31..3"},
    {"h263p", Control::QScale, nullptr, 31, 3, "qscale 31..3"},
    {"h261", Control::QScale, nullptr, 31, 3, "qscale 31..3"},
    {"mpeg1video", Control::QScale, nullptr, 31, 2, "qscale 31..2"},
    {"mpeg2video", Control::QScale, nullptr, 31, 2, "qscale 31..2"},
    {"mjpeg", Control::QScale, nullptr, 31, 2, "qscale 31..2"},
    {"amv", Control::QScale, nullptr, 31, 2, "qscale 31..2"},
    {"speedhq", Control::QScale, nullptr, 31, 2, "qscale 31..2"},
    {"asv1", Control::QScale, nullptr, 31, 4, "qscale 31..4"},
    {"asv2", Control::QScale, nullptr, 31, 3, "qscale 31..3"},
    {"snow", Control::QScale, nullptr, 31, 2, "qscale 31..2"},
    {"svq1", Control::QScale, nullptr, 31, 2, "qscale 31..2"},
    {"libxvid", Control::QScale, nullptr, 31, 2, "qscale 31..2"},
    {"jpeg2000", Control::QScale, nullptr, 31, 2, "qscale 31..2"},
    {"libx264", Control::Option, "crf", 51, 1, "crf 51..1"},
    {"libx264rgb", Control::Option, "crf", 51, 1, "crf 51..1"},
    {"libvpx", Control::Option, "crf", 63, 4, "crf 63..4"},
    {"libvpx-vp9", Control::Option, "crf", 63, 0, "crf 63..0"},
    {"libaom-av1", Control::Option, "crf", 63, 0, "crf 63..0"},
    {"libsvtav1", Control::Option, "crf", 63, 1, "crf 63..1"},
    {"librav1e", Control::Option, "qp", 255, 0, "qp 255..0"},
    {"libtheora", Control::TheoraScale, nullptr, 0, 10, "quality 0..10"},
    {"cfhd", Control::Option, "quality", 12, 0, "quality low..film3+"},
    {"libopenjpeg", Control::Option, "compression_level", 20, 1, "compression ratio 20..1"},
    {"vc2", Control::BitsPerPixel, nullptr, 0.25, 8, "0.25..8 bits per pixel"},
};

const Rule* RuleFor(const std::string& encoderName)
{
    for (const Rule& rule : kRules)
        if (encoderName == rule.encoder)
            return &rule;
    return nullptr;
}

// The scale's value for quality, rounded to whole steps.
double ScaleValue(const Rule& rule, int quality)
{
    const double q = std::clamp(quality, 0, 10000) / 10000.0;
    return std::round(rule.worst + (rule.best - rule.worst) * q);
}

void SetOption(AVCodecContext* ctx, const char* name, double value)
{
    av_opt_set_double(ctx, name, value, AV_OPT_SEARCH_CHILDREN);
}

} // namespace

void ApplyQuality(AVCodecContext* ctx, int quality)
{
    const Rule* rule = RuleFor(ctx->codec->name);
    if (!rule)
        return;
    const double value = ScaleValue(*rule, quality);
    switch (rule->control) {
    case Control::QScale:
        ctx->flags |= AV_CODEC_FLAG_QSCALE;
        ctx->global_quality = static_cast<int>(value) * FF_QP2LAMBDA;
        break;
    case Control::TheoraScale: {
        ctx->flags |= AV_CODEC_FLAG_QSCALE;
        const double q = std::clamp(quality, 0, 10000) / 1000.0;
        ctx->global_quality = static_cast<int>(std::lround(q * FF_QP2LAMBDA));
        break;
    }
    case Control::Option:
        SetOption(ctx, rule->option, value);
        // The VPx and AV1 encoders run at constant quality only without a target bit rate;
        // VP8 needs a ceiling instead, set far above what any frame here takes.
        if (std::strcmp(rule->encoder, "libvpx") == 0)
            ctx->bit_rate = 100'000'000;
        else if (std::strcmp(rule->option, "crf") == 0)
            ctx->bit_rate = 0;
        break;
    case Control::BitsPerPixel: {
        const double q = std::clamp(quality, 0, 10000) / 10000.0;
        const double bitsPerPixel = rule->worst * std::pow(rule->best / rule->worst, q);
        const double framesPerSecond = ctx->time_base.num > 0
            ? static_cast<double>(ctx->time_base.den) / ctx->time_base.num : 25.0;
        ctx->bit_rate = static_cast<int64_t>(bitsPerPixel * ctx->width * ctx->height * framesPerSecond);
        break;
    }
    }
}

std::string QualityScaleOf(const std::string& encoderName)
{
    const Rule* rule = RuleFor(encoderName);
    return rule ? rule->scale : "";
}
