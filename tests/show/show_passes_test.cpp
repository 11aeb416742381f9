// SPDX-License-Identifier: GPL-3.0-or-later
// The passes from LibreOffice's show to the played one, on small shows and flat decks written
// here: what the deck tells each pass, that each pass changes only the shows it is for, and
// that the name shows are cached under follows every stored pass and script.
#include "platform/page_scripts.h"
#include "show/deck_embedded_fonts.h"
#include "show/deck_text_layout.h"
#include "show/deck_text_shadows.h"
#include "show/show_passes.h"

#include <gtest/gtest.h>

#include <QSet>

namespace {

// Knows only the families it is given, and Carlito as Calibri's twin: the passes' results do
// not depend on this system.
class KnownFonts : public FontCatalogue {
public:
    explicit KnownFonts(QStringList installed) : installed_(std::move(installed)) {}
    FontResolution Resolve(const QString& family, const QString&) const override
    {
        if (IsInstalled(family))
            return {family, FontStatus::Installed, family};
        if (family == QLatin1String("Calibri"))
            return {family, FontStatus::MetricTwin, QStringLiteral("Carlito")};
        return {family, FontStatus::Missing, QStringLiteral("DejaVu Sans")};
    }
    bool IsInstalled(const QString& family) const override { return installed_.contains(family); }
    QString BestMatch(const QString&) const override { return QStringLiteral("DejaVu Sans"); }

private:
    QStringList installed_;
};

QByteArray FlatDeck(const QByteArray& styles, const QByteArray& slides)
{
    return "<office:document xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
           "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
           "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
           "xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\" "
           "xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\" "
           "xmlns:svg=\"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0\" "
           "xmlns:presentation=\"urn:oasis:names:tc:opendocument:xmlns:presentation:1.0\" "
           "xmlns:loext=\"urn:org:documentfoundation:names:experimental:office:xmlns:loext:1.0\"><office:font-face-decls><style:font-face style:name=\"Wingdings\" "
           "svg:font-family=\"Wingdings\"/></office:font-face-decls><office:automatic-styles>" +
           styles + "</office:automatic-styles><office:body><office:presentation>" + slides +
           "</office:presentation></office:body></office:document>";
}

// A text box 10 cm wide at 2 cm, with 0.5 cm of padding on the right.
QByteArray Box(const QByteArray& paragraphs, const QByteArray& extra = {})
{
    return "<draw:frame draw:style-name=\"gr1\" svg:x=\"2cm\" svg:y=\"2cm\" svg:width=\"10cm\" svg:height=\"3cm\"" + extra +
           "><draw:text-box>" + paragraphs + "</draw:text-box></draw:frame>";
}

const QByteArray kStyles =
    "<style:style style:name=\"gr1\" style:family=\"graphic\"><style:graphic-properties fo:padding-right=\"0.5cm\"/></style:style>"
    "<style:style style:name=\"P1\" style:family=\"paragraph\"><style:paragraph-properties fo:text-align=\"justify\" "
    "fo:margin-right=\"1cm\"/></style:style>"
    "<style:style style:name=\"P2\" style:family=\"paragraph\"><style:paragraph-properties fo:text-align=\"justify\" "
    "fo:text-align-last=\"justify\"/></style:style>"
    "<style:style style:name=\"T1\" style:family=\"text\"><style:text-properties fo:letter-spacing=\"0.1cm\" "
    "fo:text-shadow=\"1pt 1pt\"/></style:style>"
    "<style:style style:name=\"T2\" style:family=\"text\"><style:text-properties style:font-name=\"Wingdings\"/></style:style>";

const QByteArray kDeck = FlatDeck(kStyles,
    "<draw:page draw:name=\"First slide\">" +
        Box("<text:p text:style-name=\"P1\">one two <text:span text:style-name=\"T1\">three</text:span> four</text:p>"
            "<text:p>left <text:span text:style-name=\"T2\">\xc2\xa7</text:span> aligned</text:p>") +
        Box("<text:p text:style-name=\"P2\">turned box</text:p>", " draw:transform=\"rotate (0.5) translate (2cm 2cm)\"") +
        "</draw:page><draw:page draw:name=\"Second\">" + Box("<text:p text:style-name=\"P2\">last line too</text:p>") +
        "</draw:page>");

// What LibreOffice's export writes around a slide's text, reduced to what the passes look for.
QByteArray Show(const QByteArray& inside = {})
{
    return "<?xml version=\"1.0\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" "
           "xmlns:ooo=\"http://xml.openoffice.org/svg/export\" viewBox=\"0 0 28000 21000\">"
           "<g class=\"SlideGroup\"><g id=\"id1\" class=\"Slide\"><g class=\"Page\" ooo:name=\"First_slide\">"
           "<text><tspan class=\"TextParagraph\" font-family=\"Calibri, sans-serif\"><tspan class=\"TextPosition\" "
           "x=\"2000\" y=\"3000\"><tspan>one two three four</tspan></tspan></tspan></text>" +
           inside + "</g></g></g></svg>";
}

} // namespace

TEST(FlatDeckReaders, EachReaderFindsWhatTheDeckSaysOfItsParagraphs)
{
    const std::vector<JustifiedParagraph> justified = JustifiedParagraphs(kDeck);
    // The turned box has no place of its own to justify in; the second slide's paragraph
    // spreads its last line too. Right edges: x + width - padding - margin, in 1/100 mm.
    ASSERT_EQ(justified.size(), 2u);
    EXPECT_EQ(justified[0].slide, "First slide");
    EXPECT_EQ(justified[0].text, "onetwothreefour");
    EXPECT_DOUBLE_EQ(justified[0].right, 12000 - 500 - 1000);
    EXPECT_FALSE(justified[0].lastLineToo);
    EXPECT_EQ(justified[1].slide, "Second");
    EXPECT_DOUBLE_EQ(justified[1].right, 12000 - 500);
    EXPECT_TRUE(justified[1].lastLineToo);

    const std::vector<SpacedParagraph> spaced = SpacedParagraphs(kDeck);
    ASSERT_EQ(spaced.size(), 1u);
    ASSERT_EQ(spaced[0].spaced.size(), 1u);
    EXPECT_EQ(spaced[0].spaced[0].first, 6); // "three" in "onetwothreefour"
    EXPECT_EQ(spaced[0].spaced[0].end, 11);
    EXPECT_DOUBLE_EQ(spaced[0].spaced[0].spacing, 100);

    const std::vector<ShadowedParagraph> shadowed = ShadowedParagraphs(kDeck);
    ASSERT_EQ(shadowed.size(), 1u);
    EXPECT_EQ(shadowed[0].shadowed, (std::vector<std::pair<int, int>>{{6, 11}}));

    const std::vector<SymbolParagraph> symbols = SymbolParagraphs(kDeck);
    ASSERT_EQ(symbols.size(), 1u);
    EXPECT_EQ(symbols[0].text, QString::fromUtf8("left\xc2\xa7" "aligned"));
    EXPECT_DOUBLE_EQ(symbols[0].left, 2000);
    EXPECT_DOUBLE_EQ(symbols[0].right, 12000 - 500);

    EXPECT_TRUE(EmbeddedFaces(kDeck).empty());
}

// Each pass changes the show it is for, and leaves a show it is not for as it is, byte for
// byte: a pass that touched every show would change what every cached show holds.
TEST(ShowPasses, EachPassChangesOnlyTheShowsItIsFor)
{
    const KnownFonts fonts({"DejaVu Sans"});
    const ShowPassInput withDeck{kDeck, &fonts, false};
    const ShowPassInput kerned{FlatDeck(kStyles + "<style:style style:name=\"K\" style:family=\"text\">"
                                                  "<style:text-properties style:letter-kerning=\"true\"/></style:style>",
                                        {}),
                               &fonts, false};
    // A face of a family the system lacks, and one it has, which is not worth its bytes.
    const ShowPassInput embedded{
        FlatDeck({}, {}).replace("</office:font-face-decls>",
                                 "<style:font-face style:name=\"G\" svg:font-family=\"'Gill Sans'\"><svg:font-face-src>"
                                 "<svg:font-face-uri loext:font-weight=\"bold\"><svg:font-face-format svg:string=\"truetype\"/>"
                                 "<office:binary-data>AAEAAA==</office:binary-data></svg:font-face-uri></svg:font-face-src>"
                                 "</style:font-face><style:font-face style:name=\"D\" svg:font-family=\"'DejaVu Sans'\">"
                                 "<svg:font-face-src><svg:font-face-uri><office:binary-data>AAEAAA==</office:binary-data>"
                                 "</svg:font-face-uri></svg:font-face-src></style:font-face></office:font-face-decls>"),
        &fonts, false};
    const QByteArray placeholder = "<g class=\"TextShape\"><text><tspan class=\"PlaceholderText\">&lt;number&gt;</tspan></text></g>";
    struct Case {
        const char* pass;
        QByteArray show;
        ShowPassInput input;
        const char* added; // what the changed show holds that the original does not
        QByteArray untouched; // a show the pass leaves alone with the same input
    };
    const ShowPassInput plain{QByteArray(), &fonts, false};
    const std::vector<Case> cases = {
        {"kerning", Show(), withDeck, "font-kerning:none", {}},
        {"embedded fonts", Show(), embedded, "@font-face { font-family: \"Gill Sans\"; font-weight: bold", Show()},
        {"letter spacing", Show(), withDeck, "\"s\":[[6,11,100]]", {}},
        {"justified lines", Show(), withDeck, "\"r\":10500", {}},
        {"symbol text areas", Show(), withDeck, "\"a\":\"", {}},
        {"text shadows", Show(), withDeck, "\"s\":[[6,11]]", {}},
        {"field placeholders", Show(placeholder), plain, "", Show()},
        {"fields where placed", Show("<g class=\"BackgroundObjects\"/>"), plain, "", Show()},
        {"hairlines", Show("<path stroke=\"rgb(0,0,0)\" d=\"M0 0L9 9\"/>"), plain, "non-scaling-stroke", Show()},
        {"drawn fonts", Show(), plain, "Carlito", Show().replace("Calibri", "DejaVu Sans")},
        {"symbol text", Show("<text font-family=\"Wingdings\">\xc2\xa7</text>"), plain, "{\"wingdings\":{", Show()},
        {"motion paths", Show("<anim:animateMotion/>"), plain, "", Show()},
        {"effect repairs", Show("<anim:set attributeName=\"fill-color\"/>"), plain, "", Show()},
        {"viewer", Show(), plain, "geometricPrecision", {}},
        {"show clock", Show(), {QByteArray(), &fonts, true}, "", Show()},
    };
    QSet<QString> covered;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pass);
        const auto pass = std::find_if(ShowPasses().begin(), ShowPasses().end(),
                                       [&](const ShowPass& p) { return QLatin1String(p.name) == QLatin1String(c.pass); });
        ASSERT_NE(pass, ShowPasses().end());
        covered << c.pass;
        const QByteArray changed = pass->apply(c.show, c.input);
        EXPECT_NE(changed, c.show);
        if (*c.added) {
            EXPECT_TRUE(changed.contains(c.added) && !c.show.contains(c.added)) << changed.right(400).toStdString();
        }
        // The pass puts in the scripts it names and no other (the cache's name is made of them).
        for (const QString& name : PageScriptNames()) {
            EXPECT_EQ(changed.contains(PageScript(name)), pass->scripts.contains(name)) << name.toStdString();
        }
        if (!c.untouched.isEmpty()) {
            const ShowPassInput off{QByteArray(), &fonts, false};
            EXPECT_EQ(pass->apply(c.untouched, off), c.untouched);
        }
    }
    // A deck whose styles kern keeps the browser's kerning.
    EXPECT_EQ(ShowPasses()[0].apply(Show(), kerned), Show());
    EXPECT_EQ(covered.size(), ShowPasses().size()) << "a pass without a case";
    // Without a flat deck the passes that read it are left out, and the others still run.
    const QByteArray stored = ApplyShowPasses(PassTime::Stored, Show("<path stroke=\"rgb(0,0,0)\"/>"), plain);
    EXPECT_FALSE(stored.contains("font-kerning"));
    EXPECT_TRUE(stored.contains("non-scaling-stroke"));
}

// Every script is a file the build embeds, named by the passes that use it, and can stand in
// the show's character data.
TEST(ShowPasses, EveryScriptIsEmbeddedAndNamedScriptsExist)
{
    QSet<QString> named{QStringLiteral("frame_relay")}; // the browser's own
    for (const ShowPass& pass : ShowPasses())
        for (const QString& script : pass.scripts) {
            named << script;
            EXPECT_TRUE(PageScriptNames().contains(script)) << script.toStdString();
        }
    for (const QString& name : PageScriptNames()) {
        EXPECT_TRUE(named.contains(name)) << name.toStdString() << " is embedded but no pass uses it";
        EXPECT_FALSE(PageScript(name).contains("]]>")) << name.toStdString();
    }
}

namespace {

QByteArray FakeScripts(const QString& name)
{
    return "script " + name.toUtf8();
}
QByteArray OtherJustify(const QString& name)
{
    return name == QLatin1String("justified_lines") ? QByteArray("changed") : FakeScripts(name);
}
QByteArray OtherViewer(const QString& name)
{
    return name == QLatin1String("viewer") ? QByteArray("changed") : FakeScripts(name);
}

} // namespace

// A change to what is stored names the stored shows anew; a change to a served pass does not,
// as served passes run on every show anew.
TEST(ShowPasses, TheCachedShowsNameChangesWithEveryStoredPassAndScript)
{
    const std::vector<ShowPass> passes = ShowPasses();
    const QString tag = StoredShowTag(passes, FakeScripts, "code");
    EXPECT_EQ(StoredShowTag(passes, FakeScripts, "code"), tag);

    std::vector<ShowPass> renamed = passes;
    renamed[1].name = "embedded faces";
    std::vector<ShowPass> reordered = passes;
    std::swap(reordered[2], reordered[3]);
    std::vector<ShowPass> dropped = passes;
    dropped.erase(dropped.begin() + 4);
    std::vector<ShowPass> servedOnly = passes;
    servedOnly.back().name = "another clock";
    std::vector<ShowPass> moreScripts = passes;
    moreScripts[0].scripts = {"viewer"};

    EXPECT_NE(StoredShowTag(passes, OtherJustify, "code"), tag) << "a stored pass's script changed";
    EXPECT_NE(StoredShowTag(passes, FakeScripts, "other code"), tag) << "the show-making code changed";
    for (const auto* changed : {&renamed, &reordered, &dropped, &moreScripts})
        EXPECT_NE(StoredShowTag(*changed, FakeScripts, "code"), tag);
    EXPECT_EQ(StoredShowTag(passes, OtherViewer, "code"), tag) << "a served script changed";
    EXPECT_EQ(StoredShowTag(servedOnly, FakeScripts, "code"), tag) << "a served pass changed";
    // The program's own: made of the embedded scripts and the code it was built from.
    EXPECT_EQ(StoredShowTag(), StoredShowTag(ShowPasses(), PageScript, QByteArray(StoredShowCodeDigest())));
}
