// Colour effects the show's engine broke on, in the show as the viewer serves it, on the show
// clock (tests/decks/colour-effects.fodp): a colour on a shape's text alone, on the fill of a
// picture and on a line the shape does not draw. Each plays and the show moves on; the text
// takes its colour.
#include "show_in_view.h"
#include "support/wait_for.h"

#include <gtest/gtest.h>

TEST(EffectRepairs, ColoursOfTextAlonePicturesAndUndrawnLinesPlayAndTheShowMovesOn)
{
    ShowInView show;
    ASSERT_TRUE(show.Load(DECKREC_TEST_DECKS "/colour-effects.fodp", "clock=show")) << "the show did not load";
    auto run = [&](const QString& script) { return show.Run(script); };
    ASSERT_TRUE(WaitFor([&] { return run("location.hash").contains(",1,"); }, 20000)) << "the show did not start";
    run("window.postMessage = function () {}; deckrecClock.holdAll()");

    // Moves the show's time on by ms, then clicks when asked; the colour of the box's text.
    int step = 0;
    auto advance = [&](double ms, bool click) {
        return run(QStringLiteral("deckrecClock.advanceAll(%1, %2, %3);"
                                  "Array.prototype.map.call(document.querySelectorAll('text tspan[fill]'), function (r) {"
                                  "  return r.textContent === 'Colour me' ? r.getAttribute('fill') : ''; }).join('')")
                       .arg(ms)
                       .arg(++step)
                       .arg(click ? "true" : "false"));
    };
    EXPECT_EQ(advance(500, false), "rgb(32,32,32)");
    advance(0, true);
    EXPECT_EQ(advance(600, false), "rgb(51,51,153)") << "the text takes the effect's colour";
    advance(0, true);
    advance(600, false);
    advance(0, true);
    advance(600, false);
    EXPECT_TRUE(run("location.hash").contains(",2,")) << "the effects ended and the third click moved on";
}
