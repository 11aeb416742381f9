// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How the export's quality, 0 (smallest file) .. 10000 (best picture), reaches each encoder's
// own scale. Each mapping runs from the scale's worst end to its best, linearly and rounded to
// the scale's steps (bit rates geometrically), so a higher quality never gives a worse picture:
//
//   fixed quantiser (mpeg4 "DIVX", wmv1, wmv2, flv, mpeg2video, mjpeg, speedhq, snow, svq1,
//   libxvid, jpeg2000)  qscale 31 (quality 0) .. 2 (quality 10000)
//   msmpeg4v2, msmpeg4, h263p, asv2  qscale 31 .. 3, and asv1 31 .. 4: finer quantisers
//                      overflow their key frames' coefficients and spoil the picture
//   libx264, libx264rgb  crf 51 .. 1 (0 would switch to lossless, a profile few players decode)
//   libvpx (VP8)       crf 63 .. 4, with a bit-rate ceiling high enough not to bind
//   libvpx-vp9, libaom-av1  crf 63 .. 0 in constant-quality mode
//   libsvtav1          crf 63 .. 1
//   librav1e           qp 255 .. 0
//   libtheora          quality 0 .. 10
//   cfhd               quality "low" (12) .. "film3+" (0)
//   libopenjpeg        compression ratio 20 .. 1
//   vc2                bit rate 0.25 .. 8 bits per pixel
//
// Lossless encoders (ffv1, huffyuv, png, zmbv, utvideo, ...) and the lossy ones without any
// control (cinepak, msvideo1, cljr, and the raw YUV layouts) ignore the quality, and so does
// rpza, whose thresholds trade size against picture quality in no steady direction.

#include <string>

struct AVCodecContext;

// Sets ctx's quality controls for quality; ctx belongs to an encoder not yet opened.
void ApplyQuality(AVCodecContext* ctx, int quality);

// The scale named for the user, e.g. "qscale 31..2"; empty when the encoder has none.
std::string QualityScaleOf(const std::string& encoderName);
