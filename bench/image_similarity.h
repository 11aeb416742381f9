// SPDX-License-Identifier: GPL-3.0-or-later
// How alike two pictures of the same size are: PSNR over the three colours, the same after a
// small Gaussian blur of both, and SSIM over their luma.
#pragma once

#include <QImage>

// PSNR in dB (99 for identical pictures) of two RGB888 pictures of the same size.
double Psnr(const QImage& a, const QImage& b);

// The picture blurred by a Gaussian of the given standard deviation in pixels. Two rasterisers
// of the same page disagree about each glyph's edge pixels and its sub-pixel place; a one-pixel
// blur forgives that but not a word in another place, a shadow left out or a missing line.
QImage Blurred(const QImage& image, double sigma);

// Mean structural similarity (0..1) of the two pictures' luma, with the usual 11-tap Gaussian
// window of sigma 1.5.
double Ssim(const QImage& a, const QImage& b);
