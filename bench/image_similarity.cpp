// SPDX-License-Identifier: GPL-3.0-or-later
#include "image_similarity.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

using Plane = std::vector<double>;

std::vector<double> GaussianKernel(double sigma)
{
    const int radius = static_cast<int>(std::ceil(3 * sigma));
    std::vector<double> kernel(2 * radius + 1);
    double sum = 0;
    for (int i = -radius; i <= radius; ++i)
        sum += kernel[i + radius] = std::exp(-0.5 * i * i / (sigma * sigma));
    for (double& k : kernel)
        k /= sum;
    return kernel;
}

// Separable convolution with edges clamped, so that a border does not darken.
Plane Convolved(const Plane& in, int w, int h, const std::vector<double>& kernel)
{
    const int radius = static_cast<int>(kernel.size() / 2);
    Plane across(in.size()), out(in.size());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double v = 0;
            for (int i = -radius; i <= radius; ++i)
                v += kernel[i + radius] * in[y * w + std::clamp(x + i, 0, w - 1)];
            across[y * w + x] = v;
        }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double v = 0;
            for (int i = -radius; i <= radius; ++i)
                v += kernel[i + radius] * across[std::clamp(y + i, 0, h - 1) * w + x];
            out[y * w + x] = v;
        }
    return out;
}

Plane Channel(const QImage& image, int c)
{
    Plane plane(static_cast<size_t>(image.width()) * image.height());
    for (int y = 0; y < image.height(); ++y) {
        const uchar* row = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x)
            plane[y * image.width() + x] = row[3 * x + c];
    }
    return plane;
}

Plane Luma(const QImage& image)
{
    Plane r = Channel(image, 0), g = Channel(image, 1), b = Channel(image, 2);
    for (size_t i = 0; i < r.size(); ++i)
        r[i] = 0.299 * r[i] + 0.587 * g[i] + 0.114 * b[i];
    return r;
}

Plane Product(const Plane& a, const Plane& b)
{
    Plane p(a.size());
    for (size_t i = 0; i < a.size(); ++i)
        p[i] = a[i] * b[i];
    return p;
}

} // namespace

double Psnr(const QImage& a, const QImage& b)
{
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        const uchar* p = a.constScanLine(y);
        const uchar* q = b.constScanLine(y);
        for (int x = 0; x < a.width() * 3; ++x) {
            const double d = double(p[x]) - double(q[x]);
            sum += d * d;
        }
    }
    const double mse = sum / (double(a.width()) * a.height() * 3);
    return mse <= 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

QImage Blurred(const QImage& image, double sigma)
{
    const int w = image.width(), h = image.height();
    const std::vector<double> kernel = GaussianKernel(sigma);
    QImage out(w, h, QImage::Format_RGB888);
    for (int c = 0; c < 3; ++c) {
        const Plane blurred = Convolved(Channel(image, c), w, h, kernel);
        for (int y = 0; y < h; ++y) {
            uchar* row = out.scanLine(y);
            for (int x = 0; x < w; ++x)
                row[3 * x + c] = static_cast<uchar>(std::lround(std::clamp(blurred[y * w + x], 0.0, 255.0)));
        }
    }
    return out;
}

double Ssim(const QImage& a, const QImage& b)
{
    const int w = a.width(), h = a.height();
    const std::vector<double> window = GaussianKernel(1.5);
    const Plane x = Luma(a), y = Luma(b);
    const Plane mx = Convolved(x, w, h, window), my = Convolved(y, w, h, window);
    const Plane xx = Convolved(Product(x, x), w, h, window), yy = Convolved(Product(y, y), w, h, window);
    const Plane xy = Convolved(Product(x, y), w, h, window);
    const double c1 = (0.01 * 255) * (0.01 * 255), c2 = (0.03 * 255) * (0.03 * 255);
    double sum = 0;
    for (size_t i = 0; i < x.size(); ++i) {
        const double vx = xx[i] - mx[i] * mx[i], vy = yy[i] - my[i] * my[i], cov = xy[i] - mx[i] * my[i];
        sum += ((2 * mx[i] * my[i] + c1) * (2 * cov + c2)) / ((mx[i] * mx[i] + my[i] * my[i] + c1) * (vx + vy + c2));
    }
    return x.empty() ? 1.0 : sum / static_cast<double>(x.size());
}
