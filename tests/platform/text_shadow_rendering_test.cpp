// SPDX-License-Identifier: GPL-3.0-or-later
// Shadowed text as the browser draws the show, measured in the pixels of the view: each
// shadowed run casts its shadow where and in the colour the suite's PDF export draws it, and a
// run whose span turns the shadow off casts none.
#include "show_in_view.h"
#include "support/wait_for.h"

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>
#include <cmath>

namespace {

// Every run of text on the first slide: what it says and where it is drawn, in view pixels.
const char kRuns[] = R"JS(
(function () {
  var runs = [];
  document.querySelector('.SlideGroup g.Slide').querySelectorAll('tspan').forEach(function (run) {
    if (run.querySelector('tspan') || !run.textContent.trim()) return;
    var box = run.getBoundingClientRect();
    runs.push({ text: run.textContent.trim(), left: box.left, top: box.top, right: box.right, bottom: box.bottom });
  });
  return JSON.stringify(runs);
})()
)JS";

struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    bool empty() const { return right < 0; }
    void add(int x, int y)
    {
        left = std::min(left, x), top = std::min(top, y), right = std::max(right, x), bottom = std::max(bottom, y);
    }
};

bool Near(QRgb pixel, QRgb colour, int tolerance)
{
    return std::abs(qRed(pixel) - qRed(colour)) + std::abs(qGreen(pixel) - qGreen(colour)) +
               std::abs(qBlue(pixel) - qBlue(colour)) <= tolerance;
}

// The pixels of one colour within a run's box and the room its shadow may take below and right.
Box Pixels(const QImage& frame, const QJsonObject& run, QRgb colour, int room)
{
    Box box;
    const int right = std::min(frame.width(), int(run["right"].toDouble()) + room);
    const int bottom = std::min(frame.height(), int(run["bottom"].toDouble()) + room);
    for (int y = std::max(0, int(run["top"].toDouble())); y < bottom; ++y)
        for (int x = std::max(0, int(run["left"].toDouble())); x < right; ++x)
            if (Near(frame.pixel(x, y), colour, 60))
                box.add(x, y);
    return box;
}

TEST(TextShadowRendering, ShadowedRunsCastTheSuitesShadowAndAnUnshadowedSpanCastsNone)
{
    ShowInView show;
    // Loaded at another size: the shadows follow the page when it is scaled.
    ASSERT_TRUE(show.Load(DECKREC_TEST_DECKS "/text-shadow.fodp")) << "the show did not load";
    QWebEngineView& view = show.view;
    view.resize(1280, 720);
    WaitFor([] { return false; }, 500);
    const QString result = show.Run(kRuns);
    const QJsonArray runs = QJsonDocument::fromJson(result.toUtf8()).array();
    auto run = [&](const QString& text) {
        for (const QJsonValue& value : runs)
            if (value.toObject()["text"].toString() == text)
                return value.toObject();
        return QJsonObject();
    };

    // The slide is 28 cm across the view's 1280 pixels; the shadow lies a 24th of the font size
    // (in whole tenths of a point) down and right: 1.6 pt under 40 pt, 2.5 pt under 60 pt.
    const double pixelsPerPoint = 1280 / (28 / 2.54 * 72);
    const QRgb black = qRgb(0, 0, 0), blue = qRgb(0x20, 0x40, 0xc0), lightGrey = qRgb(192, 192, 192);
    struct Case {
        const char* text;
        QRgb ink;
        QRgb shadow;
        double offsetPoints; // 0: the run casts no shadow
    };
    const Case cases[] = {
        {"Titled", black, lightGrey, 1.6}, // the presentation style's shadow, under black text
        {"Cast", blue, black, 2.5},        // the shape's style, under coloured text
        {"plain", blue, black, 0},         // a span with fo:text-shadow="none"
        {"Dark", black, lightGrey, 2.5},   // a span's own shadow
        {"Flat", black, lightGrey, 0},     // the span's neighbour in the same paragraph
        {"Level", black, lightGrey, 0},    // an outline's first level, whose style casts none
        {"Deeper", black, lightGrey, 1.6}, // its second level: that level's style, though the shape names its own
    };
    QImage frame;
    ASSERT_TRUE(WaitFor(
        [&] {
            frame = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
            return !Pixels(frame, run("Cast"), blue, 0).empty();
        },
        20000))
        << "the slide was not drawn";
    for (const Case& c : cases) {
        const QJsonObject where = run(c.text);
        ASSERT_FALSE(where.isEmpty()) << c.text;
        const Box ink = Pixels(frame, where, c.ink, 10);
        const Box shadow = Pixels(frame, where, c.shadow, 10);
        ASSERT_FALSE(ink.empty()) << c.text;
        if (c.offsetPoints == 0) {
            // The text's own anti-aliased edge may come near the colour, never past its ink.
            EXPECT_TRUE(shadow.empty() || (shadow.right - ink.right <= 1 && shadow.bottom - ink.bottom <= 1))
                << c.text << " casts a shadow";
            continue;
        }
        ASSERT_FALSE(shadow.empty()) << c.text << " casts no shadow";
        const double offset = c.offsetPoints * pixelsPerPoint;
        EXPECT_NEAR(shadow.right - ink.right, offset, 1.2) << c.text;
        EXPECT_NEAR(shadow.bottom - ink.bottom, offset, 1.2) << c.text;
    }
}

} // namespace
