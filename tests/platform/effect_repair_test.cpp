// Effects the show's engine broke on, in the show as the viewer serves it, on the show clock
// (tests/decks/repaired-effects.fodp): a colour on a shape's text alone, on the fill of a picture
// and on a line the shape does not draw (also in fractions of a per cent, as from .ppt), colours
// set at once, the text's weight and size, and an exit letter by letter. Each plays and the show
// moves on; the text takes its colour and weight, and the exit takes the box away. A click while
// effects that started by themselves run ends them and leaves the slide's later effects to come.
// A message box the engine opens holds nothing.
#include "show_in_view.h"
#include "support/wait_for.h"

#include <gtest/gtest.h>

TEST(EffectRepairs, EffectsTheEngineBrokeOnPlayAndTheShowMovesOn)
{
    ShowInView show;
    ASSERT_TRUE(show.Load(DECKREC_TEST_DECKS "/repaired-effects.fodp", "clock=show")) << "the show did not load";
    auto run = [&](const QString& script) { return show.Run(script); };
    ASSERT_TRUE(WaitFor([&] { return run("location.hash").contains(",1,"); }, 20000)) << "the show did not start";
    run("window.postMessage = function () {}; deckrecClock.holdAll()");
    // The engine says it stops with a message box: the page goes on.
    EXPECT_EQ(run("alert('stopped'); 'going on'"), "going on");

    // Moves the show's time on by ms, then clicks when asked; the colours of the box's text and
    // fill, or "hidden".
    int step = 0;
    auto advance = [&](double ms, bool click) {
        return run(QStringLiteral(
                       "deckrecClock.advanceAll(%1, %2, %3);"
                       "Array.prototype.map.call(document.querySelectorAll('text tspan[fill]'), function (r) {"
                       "  if (r.textContent !== 'Colour me') return '';"
                       "  if (getComputedStyle(r).visibility === 'hidden') return 'hidden';"
                       "  return r.getAttribute('fill') + ' on ' + r.closest('g[id]').querySelector('path[fill]')"
                       "    .getAttribute('fill'); }).join('')")
                       .arg(ms)
                       .arg(++step)
                       .arg(click ? "true" : "false"))
            .toStdString();
    };
    EXPECT_EQ(advance(500, false), "rgb(32,32,32) on rgb(221,232,255)");
    advance(0, true);
    EXPECT_EQ(advance(600, false), "rgb(51,51,153) on rgb(221,232,255)") << "the text takes the effect's colour";
    advance(0, true);
    const std::string lighter = advance(600, false);
    EXPECT_TRUE(lighter.starts_with("rgb(51,51,153) on ") && !lighter.ends_with(" on rgb(221,232,255)")) << lighter;
    advance(0, true);
    EXPECT_EQ(advance(1000, false), "rgb(255,255,255) on rgb(51,51,153)") << "colours set at once, letter by letter";
    EXPECT_EQ(run("Array.prototype.filter.call(document.querySelectorAll('tspan.TextParagraph'), function (p) {"
                  "  return p.textContent === 'Colour me'; })[0].getAttribute('font-weight')"),
              "bold");
    advance(0, true);
    EXPECT_EQ(advance(600, false), "hidden") << "the exit letter by letter took the box away";
    advance(0, true);
    advance(600, false);
    EXPECT_TRUE(run("location.hash").contains(",2,")) << "the effects ended and the fifth click moved on";

    // A click while the second slide's first effect, started with the slide, still runs ends it
    // and stays; the next click brings the second box, the one after that the last slide.
    const QString firstBox =
        QStringLiteral("Array.prototype.some.call(document.querySelectorAll('text tspan[fill]'), function (r) {"
                       "  return r.textContent === 'By itself' && getComputedStyle(r).visibility !== 'hidden'; })");
    const QString secondBox =
        QStringLiteral("Array.prototype.some.call(document.querySelectorAll('text tspan[fill]'), function (r) {"
                       "  return r.textContent === 'Then me' && getComputedStyle(r).visibility !== 'hidden'; })");
    advance(1000, false);
    advance(0, true);
    advance(100, false);
    EXPECT_TRUE(run("location.hash").contains(",2,")) << "the click left the slide with its effects to come";
    EXPECT_EQ(run(firstBox), "true") << "the first box came in, its slant and all";
    EXPECT_EQ(run(secondBox), "false");
    advance(0, true);
    advance(100, false);
    EXPECT_EQ(run(secondBox), "true");
    advance(0, true);
    advance(100, false);
    EXPECT_TRUE(run("location.hash").contains(",3,"));
}
