// SPDX-License-Identifier: GPL-3.0-or-later
// Compares a kept recording with LibreOffice's own rendering of the same deck: for each slide
// of the reference (PNG pages rasterised from the suite's PDF export), the stored frame that
// matches it best, over the slide's area of the frame: its PSNR, its PSNR once both are
// blurred by a one-pixel Gaussian, and its SSIM; and that frame's PSNR over the slide's bottom
// eighth alone, where masters put their date, footer and number (a misplaced footer costs a
// few hundred pixels, lost in the whole slide's figure). Prints one line per slide and two
// summary lines, and writes the worst slides side by side (reference | recorded) to a folder,
// so that a low figure can be looked at. In place of a recording, a folder of PNG pictures may
// be given (say another rasteriser's pages of the same PDF, to learn what two renderings of one
// page score).
//
//   usage: fidelity_compare RECORDING_DIR|PNG_DIR OUT_DIR LABEL PAGE.png...

#include "core/frame_store.h"
#include "core/picture.h"
#include "core/working_files.h"
#include "image_similarity.h"

#include <QDir>

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

// A pixel of the frame: what two rasterisers of one page disagree about.
constexpr double kBlurSigma = 1.0;

QImage ToImage(const Picture& picture)
{
    QImage image(picture.width(), picture.height(), QImage::Format_RGB888);
    for (int y = 0; y < picture.height(); ++y) {
        const uint8_t* row = picture.scanLine(y);
        uchar* out = image.scanLine(y);
        for (int x = 0; x < picture.width(); ++x) {
            out[3 * x] = row[3 * x + 2];
            out[3 * x + 1] = row[3 * x + 1];
            out[3 * x + 2] = row[3 * x];
        }
    }
    return image;
}

// Where the viewer letterboxes a slide of this shape inside the frame.
QRect SlideArea(QSize slide, QSize frame)
{
    const QSize fitted = slide.scaled(frame, Qt::KeepAspectRatio);
    return QRect((frame.width() - fitted.width()) / 2, (frame.height() - fitted.height()) / 2, fitted.width(),
                 fitted.height());
}

int FrameCount(const QString& folder)
{
    QFile manifest(folder + QStringLiteral("/recording.json"));
    if (!manifest.open(QIODevice::ReadOnly))
        return -1;
    const auto match = QRegularExpression(QStringLiteral("\"FrameCount\"\\s*:\\s*(\\d+)")).match(QString::fromUtf8(manifest.readAll()));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s RECORDING_DIR OUT_DIR LABEL PAGE.png...\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString outDir = QString::fromLocal8Bit(argv[2]);
    const QString label = QString::fromLocal8Bit(argv[3]);
    std::vector<QImage> frames;
    const int frameCount = FrameCount(folder);
    if (frameCount >= 0) {
        const WorkingFiles files(folder.toStdString() + "/", folder.toStdString() + "/");
        for (int n = 0; n <= frameCount; ++n) {
            if (!FrameExists(files, n))
                continue;
            Picture picture;
            LoadFrame(files, n, picture);
            frames.push_back(ToImage(picture));
        }
    } else {
        for (const QString& name : QDir(folder).entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name))
            frames.push_back(QImage(folder + QLatin1Char('/') + name).convertToFormat(QImage::Format_RGB888));
    }
    if (frames.empty()) {
        std::fprintf(stderr, "no recording.json with stored frames, nor PNG pictures, in %s\n", argv[1]);
        return 1;
    }

    struct Result {
        int slide;
        double psnr;
        double blurredPsnr;
        double ssim;
        double footerPsnr;
        QImage reference;
        QImage frame;
    };
    std::vector<Result> results;
    for (int i = 4; i < argc; ++i) {
        const QImage page(QString::fromLocal8Bit(argv[i]));
        if (page.isNull()) {
            std::fprintf(stderr, "cannot read %s\n", argv[i]);
            return 1;
        }
        Result best{i - 3, -1, 0, 0, 0, {}, {}};
        for (const QImage& frame : frames) {
            const QRect area = SlideArea(page.size(), frame.size());
            const QImage reference = page.scaled(area.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                         .convertToFormat(QImage::Format_RGB888);
            const QImage shown = frame.copy(area);
            const double psnr = Psnr(reference, shown);
            if (psnr > best.psnr)
                best = {i - 3, psnr, 0, 0, 0, reference, shown};
        }
        best.blurredPsnr = Psnr(Blurred(best.reference, kBlurSigma), Blurred(best.frame, kBlurSigma));
        best.ssim = Ssim(best.reference, best.frame);
        const int top = best.reference.height() * 7 / 8;
        const QRect footer(0, top, best.reference.width(), best.reference.height() - top);
        best.footerPsnr = Psnr(best.reference.copy(footer), best.frame.copy(footer));
        results.push_back(best);
    }

    int good = 0, goodBlurred = 0;
    double sum = 0, sumBlurred = 0, sumSsim = 0, sumFooter = 0, worstFooter = 99;
    for (const Result& r : results) {
        std::printf("%s slide %d: %.2f dB, blurred %.2f dB, SSIM %.3f, footer band %.2f dB\n", qPrintable(label),
                    r.slide, r.psnr, r.blurredPsnr, r.ssim, r.footerPsnr);
        sumFooter += r.footerPsnr;
        worstFooter = std::min(worstFooter, r.footerPsnr);
        good += r.psnr >= 25.0;
        goodBlurred += r.blurredPsnr >= 25.0;
        sum += r.psnr;
        sumBlurred += r.blurredPsnr;
        sumSsim += r.ssim;
    }
    const int n = static_cast<int>(results.size());
    std::printf("%s: %d slides, mean %.2f dB, %d of %d (%.0f%%) at 25 dB or more; blurred mean %.2f dB, %d of %d "
                "(%.0f%%) at 25 dB or more; mean SSIM %.3f\n",
                qPrintable(label), n, sum / n, good, n, 100.0 * good / n, sumBlurred / n, goodBlurred, n,
                100.0 * goodBlurred / n, sumSsim / n);
    std::printf("%s footer band: mean %.2f dB, worst slide %.2f dB\n", qPrintable(label), sumFooter / n, worstFooter);

    std::sort(results.begin(), results.end(), [](const Result& a, const Result& b) { return a.psnr < b.psnr; });
    for (size_t k = 0; k < std::min<size_t>(3, results.size()); ++k) {
        const Result& r = results[k];
        QImage pair(r.reference.width() * 2 + 4, r.reference.height(), QImage::Format_RGB888);
        pair.fill(Qt::magenta);
        QPainter painter(&pair);
        painter.drawImage(0, 0, r.reference);
        painter.drawImage(r.reference.width() + 4, 0, r.frame);
        painter.end();
        pair.save(QStringLiteral("%1/%2-slide%3.png").arg(outDir, label).arg(r.slide));
    }
    return 0;
}
