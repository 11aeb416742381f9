// SPDX-License-Identifier: GPL-3.0-or-later
// The passes' scripts at work in the browser, on small shows written here and served through
// the show scheme as the program serves its own: where a justified line ends, how far a shadow
// falls, in which order the show clock runs what falls due, and which text a field shows.
#include "platform/show_in_view.h"
#include "show/show_passes.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

namespace {

class AllFonts : public FontCatalogue {
public:
    FontResolution Resolve(const QString& family, const QString&) const override
    {
        return {family, FontStatus::Installed, family};
    }
    bool IsInstalled(const QString&) const override { return true; }
    QString BestMatch(const QString& family) const override { return family; }
};

// Serves one show, made by the stored and the served passes from a show and a flat deck.
class OneShow : public ShowSource {
public:
    void ServeShow(const QString&, bool showClock, std::function<void(const ServedPage&)> done) override
    {
        const ShowPassInput input{deck, &fonts, showClock};
        done({"image/svg+xml", ApplyShowPasses(PassTime::Served, ApplyShowPasses(PassTime::Stored, show, input), input)});
    }
    AllFonts fonts;
    QByteArray show;
    QByteArray deck;
};

class ShowPage_ : public ::testing::Test {
protected:
    bool Load(const QByteArray& show, const QByteArray& deck = {}, bool showClock = false)
    {
        source.show = show;
        source.deck = deck;
        return view.Load(QStringLiteral("/deck.fodp"), showClock ? QStringLiteral("clock=show") : QString());
    }
    QString Run(const QString& script) { return view.Run(script); }
    double Number(const QString& script) { return Run(script).toDouble(); }

    OneShow source;
    ShowInView view{&source};
};

QByteArray FlatDeck(const QByteArray& styles, const QByteArray& page)
{
    return "<office:document xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
           "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
           "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
           "xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\" "
           "xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\" "
           "xmlns:svg=\"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0\"><office:automatic-styles>" +
           styles + "</office:automatic-styles><office:body><office:presentation><draw:page draw:name=\"S1\">" +
           page + "</draw:page></office:presentation></office:body></office:document>";
}

// One slide of 280 x 210 mm as the export lays it out: pages in a slide group, paragraphs of
// positioned lines.
QByteArray Show(const QByteArray& slide, const QByteArray& master = {})
{
    return "<?xml version=\"1.0\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:ooo=\"http://xml.openoffice.org/svg/export\" "
           "viewBox=\"0 0 28000 21000\"><g id=\"id2\" class=\"Master_Slide\">" + master +
           "</g><g class=\"SlideGroup\"><g id=\"id1\" class=\"Slide\"><g class=\"Page\" ooo:name=\"S1\">" + slide +
           "</g></g></g></svg>";
}

const QByteArray kTwoLines =
    "<text font-family=\"DejaVu Sans\" font-size=\"800px\" fill=\"rgb(0,0,0)\"><tspan class=\"TextParagraph\">"
    "<tspan class=\"TextPosition\" x=\"2000\" y=\"3000\"><tspan>one two three four</tspan></tspan>"
    "<tspan class=\"TextPosition\" x=\"2000\" y=\"4000\"><tspan>five </tspan><tspan>six</tspan></tspan></tspan></text>";

} // namespace

// A justified paragraph's lines but the last end at its right edge, the spaces between words
// taking up the room; a paragraph with its last line justified too spreads that one as well;
// a shadowed run casts the suite's shadow: a 24th of the font size down and right, light grey
// under black text.
TEST_F(ShowPage_, JustifiedLinesEndAtTheEdgeAndShadowsFallAsTheSuiteCastsThem)
{
    const QByteArray styles =
        "<style:style style:name=\"P1\" style:family=\"paragraph\"><style:paragraph-properties fo:text-align=\"justify\"/></style:style>"
        "<style:style style:name=\"T1\" style:family=\"text\"><style:text-properties fo:text-shadow=\"1pt 1pt\"/></style:style>";
    // The box ends at 2 + 18 = 20 cm.
    const QByteArray deck = FlatDeck(styles,
        "<draw:frame svg:x=\"2cm\" svg:y=\"2cm\" svg:width=\"18cm\" svg:height=\"5cm\"><draw:text-box><text:p "
        "text:style-name=\"P1\">one two three four five <text:span text:style-name=\"T1\">six</text:span></text:p>"
        "</draw:text-box></draw:frame>");
    ASSERT_TRUE(Load(Show(kTwoLines), deck));
    const QString line = QStringLiteral("document.querySelectorAll('tspan.TextPosition')[%1]");
    const QString end = QStringLiteral("(function (c) { return c.getEndPositionOfChar(c.textContent.length - 1).x; })(%1)");
    EXPECT_NEAR(Number(end.arg(line.arg(0))), 20000, 10);
    EXPECT_NEAR(Number(QStringLiteral("%1.getStartPositionOfChar(0).x").arg(line.arg(0))), 2000, 1);
    EXPECT_EQ(Run(line.arg(1) + QStringLiteral(".style.wordSpacing")), "") << "the last line is spread";

    // 800 units are 22.7 pt: 9 tenths of a point (a 24th, in whole tenths), 31.75 units.
    const QString shadow = Run(QStringLiteral("document.querySelector('[data-text-shadow]').getAttribute('data-text-shadow')"));
    EXPECT_EQ(shadow, "31.75 rgb(192,192,192)");
    EXPECT_EQ(Run(QStringLiteral("document.querySelector('[data-text-shadow]').textContent")), "six");
    EXPECT_FALSE(Run(QStringLiteral("document.querySelector('[data-text-shadow]').style.textShadow")).isEmpty());
}

// On the show clock, time moves only when the recorder moves it, and what falls due runs in the
// order of its due times, each seeing its own time, also a callback scheduled by another.
TEST_F(ShowPage_, TheShowClockRunsWhatFallsDueInTimeOrderAtItsOwnTime)
{
    ASSERT_TRUE(Load(Show(kTwoLines), {}, true));
    Run(QStringLiteral(
        "deckrecClock.holdAll();"
        "var seen = [], start = Date.now(), t = function (name) { return function () { seen.push(name + '@' + (Date.now() - start)); }; };"
        "setTimeout(t('c'), 300); setTimeout(t('a'), 100);"
        "setTimeout(function () { t('b')(); setTimeout(t('b+50'), 50); }, 200); 0"));
    // Real time passes; the show's does not.
    QElapsedTimer real;
    real.start();
    WaitFor([&] { return real.elapsed() > 400; }, 1000);
    const QString order = Run(QStringLiteral(
        "seen.push('still@' + (Date.now() - start));"
        "deckrecClock.advanceAll(250, 1, false);"
        "seen.push('now@' + (Date.now() - start));"
        "deckrecClock.advanceAll(100, 2, false);"
        "seen.join(' ')"));
    EXPECT_EQ(order, "still@0 a@100 b@200 b+50@250 now@250 c@300");
}

// A master's slide-number placeholder that a narrow box broke letter under letter is one line
// again, which the show fills with the slide's number.
TEST_F(ShowPage_, ABrokenPlaceholderIsJoinedIntoOneLine)
{
    const QByteArray broken =
        "<g class=\"BackgroundObjects\"><g class=\"Slide_Number\">"
        "<rect class=\"BoundingBox\" x=\"1000\" y=\"800\" width=\"400\" height=\"1000\"/><text><tspan class=\"TextParagraph\">"
        "<tspan class=\"TextPosition\" x=\"1000\" y=\"1000\"><tspan class=\"PlaceholderText\">&lt;nu</tspan></tspan>"
        "<tspan class=\"TextPosition\" x=\"1000\" y=\"1500\"><tspan class=\"PlaceholderText\">mber&gt;</tspan></tspan>"
        "</tspan></text></g></g>";
    ASSERT_TRUE(Load(Show({}, broken)));
    EXPECT_EQ(Run(QStringLiteral("document.querySelectorAll('.Slide_Number tspan.TextPosition').length")), "1");
    EXPECT_EQ(Run(QStringLiteral("Array.from(document.querySelectorAll('.PlaceholderText')).map(function (p) { return p.textContent; }).join('|')")),
              "<number>");
}
