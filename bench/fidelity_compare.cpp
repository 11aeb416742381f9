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
// With --last-of-slide each page is compared with the last picture the recording shows of that
// slide (the stored frame before the next slide's first slot, from recording.json's slides), the
// state the slide's effects leave: a slide whose effects went wrong, or that was never shown,
// cannot pass as some other frame that matches. The summary then names every slide under
// 25 dB (blurred), with its title from --titles (one a line), and each of them goes side by side
// into OUT_DIR.
//
//   usage: fidelity_compare [--last-of-slide [--titles FILE]] RECORDING_DIR|PNG_DIR OUT_DIR LABEL PAGE.png...

#include "core/frame_store.h"
#include "core/picture.h"
#include "core/working_files.h"
#include "image_similarity.h"

#include <QDir>

#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
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

// For each slide number, the last slot that shows it: up to the slot before the next slide's
// first (a slide shown twice counts where it was shown last), the last slide up to the end.
std::vector<int> LastSlotOfSlides(const QString& folder, int frameCount, int pages)
{
    QFile manifest(folder + QStringLiteral("/recording.json"));
    std::vector<int> last(pages + 1, -1);
    if (!manifest.open(QIODevice::ReadOnly))
        return last;
    const QJsonArray slides = QJsonDocument::fromJson(manifest.readAll()).object()[QStringLiteral("slides")].toArray();
    for (qsizetype i = 0; i < slides.size(); ++i) {
        const int slide = slides[i].toObject()[QStringLiteral("slide")].toInt();
        if (slide >= 1 && slide <= pages)
            last[slide] = i + 1 < slides.size() ? slides[i + 1].toObject()[QStringLiteral("slot")].toInt() - 1 : frameCount;
    }
    return last;
}

QImage SideBySide(const QImage& reference, const QImage& frame)
{
    QImage pair(reference.width() * 2 + 4, reference.height(), QImage::Format_RGB888);
    pair.fill(Qt::magenta);
    QPainter painter(&pair);
    painter.drawImage(0, 0, reference);
    if (!frame.isNull())
        painter.drawImage(reference.width() + 4, 0, frame);
    painter.end();
    return pair;
}

QStringList Titles(const QString& path)
{
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
}

// The last-of-slide comparison: one line a slide, a summary naming the slides under 25 dB.
int CompareLastOfSlides(const QString& folder, const QString& outDir, const QString& label, const QStringList& titles,
                        const std::vector<QString>& pages)
{
    const int frameCount = FrameCount(folder);
    if (frameCount < 0) {
        std::fprintf(stderr, "no recording.json in %s\n", qPrintable(folder));
        return 1;
    }
    const int count = static_cast<int>(pages.size());
    const std::vector<int> lastSlot = LastSlotOfSlides(folder, frameCount, count);
    const WorkingFiles files(folder.toStdString() + "/", folder.toStdString() + "/");
    int shown = 0, good = 0;
    QStringList failing;
    for (int k = 1; k <= count; ++k) {
        const QImage page(pages[k - 1]);
        if (page.isNull()) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(pages[k - 1]));
            return 1;
        }
        const QString title = k - 1 < titles.size() && !titles[k - 1].isEmpty() ? titles[k - 1] : QString::number(k);
        int slot = lastSlot[k];
        while (slot >= 0 && !FrameExists(files, slot))
            --slot;
        if (slot < 0) {
            std::printf("%s slide %d (%s): never shown\n", qPrintable(label), k, qPrintable(title));
            failing << QStringLiteral("%1 (not shown)").arg(title);
            SideBySide(page.convertToFormat(QImage::Format_RGB888), {})
                .save(QStringLiteral("%1/%2-slide%3.png").arg(outDir, label).arg(k));
            continue;
        }
        ++shown;
        Picture picture;
        LoadFrame(files, slot, picture);
        const QImage frame = ToImage(picture);
        const QRect area = SlideArea(page.size(), frame.size());
        const QImage reference =
            page.scaled(area.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation).convertToFormat(QImage::Format_RGB888);
        const QImage last = frame.copy(area);
        const double blurred = Psnr(Blurred(reference, kBlurSigma), Blurred(last, kBlurSigma));
        std::printf("%s slide %d (%s): last picture at slot %d, %.2f dB, blurred %.2f dB\n", qPrintable(label), k,
                    qPrintable(title), slot, Psnr(reference, last), blurred);
        if (blurred >= 25.0) {
            ++good;
            continue;
        }
        failing << QStringLiteral("%1 (%2 dB)").arg(title).arg(blurred, 0, 'f', 1);
        SideBySide(reference, last).save(QStringLiteral("%1/%2-slide%3.png").arg(outDir, label).arg(k));
    }
    std::printf("%s: %d slides, %d shown, %d of %d (%.0f%%) end within 25 dB (blurred) of the suite's picture%s%s\n",
                qPrintable(label), count, shown, good, count, count ? 100.0 * good / count : 0.0,
                failing.isEmpty() ? "" : "; not: ", qPrintable(failing.join(QStringLiteral(", "))));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    bool lastOfSlide = false;
    QString titlesFile;
    int options = 0;
    while (1 + options < argc && std::strncmp(argv[1 + options], "--", 2) == 0) {
        const std::string option = argv[1 + options++];
        if (option == "--last-of-slide")
            lastOfSlide = true;
        else if (option == "--titles" && 1 + options < argc)
            titlesFile = QString::fromLocal8Bit(argv[1 + options++]);
        else
            argc = 0;
    }
    argc -= options;
    argv += options;
    if (argc < 5) {
        std::fprintf(stderr,
                     "usage: fidelity_compare [--last-of-slide [--titles FILE]] RECORDING_DIR OUT_DIR LABEL PAGE.png...\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString outDir = QString::fromLocal8Bit(argv[2]);
    const QString label = QString::fromLocal8Bit(argv[3]);
    if (lastOfSlide) {
        std::vector<QString> pages;
        for (int i = 4; i < argc; ++i)
            pages.push_back(QString::fromLocal8Bit(argv[i]));
        return CompareLastOfSlides(folder, outDir, label, Titles(titlesFile), pages);
    }
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
