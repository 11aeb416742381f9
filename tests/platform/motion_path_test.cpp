// SPDX-License-Identifier: GPL-3.0-or-later
// Motion paths in the show as the viewer serves it, driven on the show clock and measured in the
// page: a shape goes along its path at the effect's pace and stays where the path ends.
#include "show_in_view.h"
#include "support/wait_for.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace {

// The centre of each motion path's shape on the slide (SVG units, 1/100 mm of the 28 cm wide
// slide), in the order of the paths.
const char kCentres[] = R"JS(
(function () {
  var slide = document.documentElement.getBoundingClientRect(), scale = 28000 / slide.width;
  var motions = document.getElementsByTagNameNS('urn:oasis:names:tc:opendocument:xmlns:animation:1.0', 'animateMotion');
  return JSON.stringify(Array.prototype.map.call(motions, function (motion) {
    var shape = document.getElementById(motion.getAttributeNS('http://www.w3.org/2001/SMIL20/', 'targetElement'));
    var box = shape.getBoundingClientRect();
    return [((box.left + box.right) / 2 - slide.left) * scale, ((box.top + box.bottom) / 2 - slide.top) * scale];
  }));
})()
)JS";

struct Point {
    double x = 0, y = 0;
};

double Distance(Point a, Point b)
{
    return std::hypot(a.x - b.x, a.y - b.y);
}

// The deck's slide, 28 x 15.75 cm.
constexpr double kSlideWidth = 28000, kSlideHeight = 15750;
constexpr double kEffectMs = 2000;
// The show's engine draws a running effect every 1/60 s and starts an effect's clock at its
// first frame after the click: a shape may be two such frames behind, as any effect of the show.
constexpr double kEngineLagMs = 2 * 1000.0 / 60;

// The share of its path an effect of the deck has covered ms after its click: simple time bent
// by acceleration and deceleration as SMIL defines them, then paced along the path.
double PacedShare(double ms, double accelerate, double decelerate)
{
    const double t = std::clamp(ms / kEffectMs, 0.0, 1.0);
    if (accelerate + decelerate <= 0)
        return t;
    const double peak = 1 / (1 - accelerate / 2 - decelerate / 2);
    if (t < accelerate)
        return peak * t * t / (2 * accelerate);
    if (t <= 1 - decelerate)
        return peak * (t - accelerate / 2);
    return 1 - peak * (1 - t) * (1 - t) / (2 * decelerate);
}

// The disc's path: a cubic curve that rises and comes down 0.6 slide widths to the right; the
// point a share of its length along it (measured in slide fractions, as the suite measures it),
// on the slide.
Point AlongCurve(double share)
{
    auto at = [](double t) {
        const double s = 1 - t;
        return Point{3 * s * s * t * 0.15 + 3 * s * t * t * 0.45 + t * t * t * 0.6, -0.9 * s * t};
    };
    const int steps = 4000;
    std::vector<double> lengths{0};
    for (int i = 1; i <= steps; ++i)
        lengths.push_back(lengths.back() + Distance(at((i - 1.0) / steps), at(double(i) / steps)));
    const auto reached = std::lower_bound(lengths.begin(), lengths.end(), share * lengths.back());
    const Point p = at(double(reached - lengths.begin()) / steps);
    return {p.x * kSlideWidth, p.y * kSlideHeight};
}

TEST(MotionPaths, ShapesGoAlongTheirPathsAtTheEffectsPaceAndStayWhereThePathsEnd)
{
    ShowInView show;
    ASSERT_TRUE(show.Load(DECKREC_TEST_DECKS "/motion-paths.fodp", "clock=show")) << "the show did not load";
    auto run = [&](const QString& script) { return show.Run(script); };
    // The first slide is on screen once the viewer has named it in the URL.
    ASSERT_TRUE(WaitFor([&] { return run("location.hash").contains(",1,"); }, 20000)) << "the show did not start";
    // The show is the page itself here: what it tells the program's page around it (the answers
    // to the clock's steps among them) goes nowhere.
    run("window.postMessage = function () {}; deckrecClock.holdAll()");

    // Moves the show's time on by ms, then clicks when asked; the square's and the disc's centres.
    int step = 0;
    auto advance = [&](double ms, bool click) {
        const QString script = QStringLiteral("deckrecClock.advanceAll(%1, %2, %3); %4")
                                   .arg(ms)
                                   .arg(++step)
                                   .arg(click ? "true" : "false")
                                   .arg(kCentres);
        std::vector<Point> points;
        for (const QJsonValue& centre : QJsonDocument::fromJson(run(script).toUtf8()).array())
            points.push_back({centre[0].toDouble(), centre[1].toDouble()});
        return points;
    };
    auto offset = [](Point from, Point by) { return Point{from.x + by.x, from.y + by.y}; };

    // Where the deck puts them: the square's centre at 5 x 4.5 cm, the disc's at 4.5 x 11.5 cm.
    std::vector<Point> now = advance(500, false);
    ASSERT_EQ(now.size(), 3u) << "the square's first path, the disc's, the square's second";
    const Point square = now[0], disc = now[1];
    EXPECT_LE(Distance(square, {5000, 4500}), 5);
    EXPECT_LE(Distance(disc, {4500, 11500}), 5);

    // The first click: the square along its straight line at an even pace, 7 units a ms, as
    // far as the effect's moment or the engine's lag before it.
    now = advance(0, true);
    double ms = 0;
    for (const double next : {500.0, 1000.0, 1500.0}) {
        now = advance(next - ms, false);
        ms = next;
        EXPECT_LE(Distance(now[0], offset(square, {7 * ms, 0})), 7 * kEngineLagMs + 3) << "square at " << ms << " ms";
        EXPECT_LE(Distance(now[1], disc), 1) << "the disc waits for its own click";
    }
    now = advance(kEffectMs + 100 - ms, false);
    const Point squareEnd = offset(square, {0.5 * kSlideWidth, 0});
    EXPECT_LE(Distance(now[0], squareEnd), 2) << "the square ends where its path ends";

    // The second click: the disc along its curve, speeding up over 0.3 s and slowing down.
    advance(0, true);
    ms = 0;
    for (const double next : {250.0, 500.0, 1000.0}) {
        now = advance(next - ms, false);
        ms = next;
        const Point due = offset(disc, AlongCurve(PacedShare(ms, 0.3, 0.3)));
        const Point lagging = offset(disc, AlongCurve(PacedShare(ms - kEngineLagMs, 0.3, 0.3)));
        EXPECT_LE(Distance(now[1], due), Distance(due, lagging) + 3)
            << "disc at " << ms << " ms: (" << now[1].x << ", " << now[1].y << "), due (" << due.x << ", " << due.y
            << ")";
        EXPECT_LE(Distance(now[0], squareEnd), 2) << "the square stays at its path's end";
    }
    // Half-way in time is half-way along the symmetrical curve: its top, 3.54 cm up.
    EXPECT_LE(Distance(now[1], offset(disc, {0.3 * kSlideWidth, -0.225 * kSlideHeight})), 250);
    // A click during the effect ends it at once where the path ends, as the show ends any effect.
    now = advance(0, true);
    const Point discEnd = offset(disc, {0.6 * kSlideWidth, 0});
    EXPECT_LE(Distance(now[1], discEnd), 2) << "the disc ends where its path ends";

    // The third click: the square goes on down from where its first path left it.
    advance(0, true);
    now = advance(1100, false);
    const Point squareDown = offset(squareEnd, {0, 0.2 * kSlideHeight});
    EXPECT_LE(Distance(now[0], squareDown), 2) << "a second path starts where the first one ended";

    // Both stay there until the slide changes.
    now = advance(3000, false);
    EXPECT_LE(Distance(now[0], squareDown), 2);
    EXPECT_LE(Distance(now[1], discEnd), 2);
}

} // namespace
