// The show as the browser draws it, measured in the page: the lines of a deck's text stay in
// the boxes LibreOffice laid them out for, when its fonts are narrower or wider than the
// browser's fallback.
#include "platform/fonts/font_resolver.h"
#include "show_in_view.h"
#include "support/wait_for.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRawFont>
#include <gtest/gtest.h>
#include <algorithm>
#include <map>
#include <optional>

namespace {

// Per text line of every slide's title and outline: its shape's class, its text, how far its
// end lies past the right edge of its box (SVG units, 1/100 mm; negative inside).
const char kLineOverflows[] = R"JS(
(function () {
  var lines = [];
  document.querySelectorAll('.SlideGroup g.TitleText, .SlideGroup g.Outline').forEach(function (shape) {
    var box = shape.querySelector('rect.BoundingBox');
    if (!box) return;
    var right = box.x.baseVal.value + box.width.baseVal.value;
    shape.querySelectorAll('tspan.TextPosition').forEach(function (line) {
      var text = line.textContent.replace(/\s+$/, '');
      if (!text) return;
      var start = line.getStartPositionOfChar(0).x;
      var end = line.getEndPositionOfChar(text.length - 1).x;
      lines.push({ shape: shape.getAttribute('class'), text: text, overflow: end - right });
    });
  });
  return JSON.stringify(lines);
})()
)JS";

// Per line of the outline on the first slide (a bulleted one's too, without its bullets): its
// paragraph, its text, where its last character ends (SVG units) and the word spacing the show
// gave it.
const char kOutlineLineEnds[] = R"JS(
(function () {
  var lines = [];
  var outline = document.querySelector('.SlideGroup g.Slide g.Outline');
  outline.querySelectorAll('tspan.TextParagraph, tspan.ListItem').forEach(function (paragraph, p) {
    paragraph.querySelectorAll('tspan.TextPosition').forEach(function (line) {
      if (line.querySelector('.BulletPlaceholder')) return;
      var text = line.textContent.replace(/\s+$/, '');
      if (!text) return;
      lines.push({ paragraph: p, text: text, end: line.getEndPositionOfChar(text.length - 1).x,
                   spacing: line.style.wordSpacing });
    });
  });
  return JSON.stringify(lines);
})()
)JS";

// Per line of a centred paragraph (its text starts "A centred"): where the line starts and
// ends and the middle of its box (SVG units).
const char kCentredLines[] = R"JS(
(function () {
  var lines = [];
  document.querySelectorAll('.SlideGroup g.Outline, .SlideGroup g.TextShape').forEach(function (shape) {
    var box = shape.querySelector('rect.BoundingBox');
    if (!box) return;
    shape.querySelectorAll('tspan.TextParagraph').forEach(function (paragraph) {
      if (paragraph.textContent.indexOf('A centred') !== 0) return;
      paragraph.querySelectorAll('tspan.TextPosition').forEach(function (line) {
        var text = line.textContent.replace(/\s+$/, '');
        if (!text) return;
        lines.push({ text: text, start: line.getStartPositionOfChar(0).x,
                     end: line.getEndPositionOfChar(text.length - 1).x,
                     middle: box.x.baseVal.value + box.width.baseVal.value / 2 });
      });
    });
  });
  return JSON.stringify(lines);
})()
)JS";

// The drawn width of every text line of the slides in ems of its font, by its text.
const char kLineWidths[] = R"JS(
(function () {
  var widths = {};
  document.querySelectorAll('.SlideGroup tspan.TextPosition').forEach(function (line) {
    widths[line.textContent.trim()] = line.getComputedTextLength() / parseFloat(getComputedStyle(line).fontSize);
  });
  return JSON.stringify(widths);
})()
)JS";

// The master's date and number fields once the show has started: where each text stands, its
// anchor and what it says; and any placeholder text ("<number>") left in a drawn slide.
const char kMasterFields[] = R"JS(
(function () {
  var fields = {};
  document.querySelectorAll('g.BackgroundObjects > g').forEach(function (field) {
    var text = field.querySelector('text');
    if (!text) return;
    fields[field.getAttribute('class')] = { x: parseFloat(text.getAttribute('x')), anchor: text.getAttribute('text-anchor'),
                                            text: text.textContent.trim() };
  });
  var shown = [];
  document.querySelectorAll('.SlideGroup text').forEach(function (text) {
    if (/<(number|date\/time|footer)>/.test(text.textContent)) shown.push(text.textContent);
  });
  return JSON.stringify({ fields: fields, placeholders: shown });
})()
)JS";

class ShowRendering : public ::testing::Test {
protected:
    // Loads deck's show as the viewer serves it and runs script in it once it has loaded.
    QString RunInShow(const QString& deck, const QString& script)
    {
        EXPECT_TRUE(show.Load(deck)) << "the show did not load";
        return show.Run(script);
    }

    // The deck as LibreOffice saves it in another format (pptx, ppt), in the test's folder.
    QString Converted(const QString& deck, const QString& format)
    {
        const QString out = QString::fromStdString(show.folder.path()) + format;
        QProcess soffice;
        soffice.start(QStringLiteral("soffice"),
                      {QStringLiteral("-env:UserInstallation=file://") + QString::fromStdString(show.folder.path()) + "profile",
                       "--headless", "--norestore", "--convert-to", format, "--outdir", out, deck});
        EXPECT_TRUE(soffice.waitForFinished(120000));
        return out + QLatin1Char('/') + QFileInfo(deck).completeBaseName() + QLatin1Char('.') + format;
    }

    ShowInView show;
};

TEST_F(ShowRendering, NarrowAndBookFontsKeepEveryTitleAndBodyLineInsideItsBox)
{
    std::vector<QString> decks;
    for (const char* name : {"fidelity-wide.fodp", "fidelity-classic.fodp"}) {
        const QString deck = QStringLiteral(DECKREC_TEST_DECKS "/") + name;
        decks.push_back(deck);
        // Decks from the other office suites name their fonts and lay out their text alike.
        for (const char* format : {"pptx", "ppt"})
            decks.push_back(Converted(deck, QString::fromLatin1(format)));
    }
    for (const QString& path : decks) {
        const std::string deck = QFileInfo(path).fileName().toStdString();
        const QJsonArray lines = QJsonDocument::fromJson(RunInShow(path, kLineOverflows).toUtf8()).array();
        ASSERT_GT(lines.size(), 8) << deck;
        bool condensedTitleSeen = false;
        for (const QJsonValue& value : lines) {
            const QJsonObject line = value.toObject();
            const QString text = line["text"].toString();
            condensedTitleSeen |= text.startsWith("A condensed title");
            // A few hundredths of a millimetre of rounding, no more.
            EXPECT_LE(line["overflow"].toDouble(), 30.0) << deck << ": " << text.toStdString();
        }
        EXPECT_TRUE(condensedTitleSeen) << deck;
    }
}

// The suite starts a centred line half its own width left of the middle; the browser's line
// ends as far right of it only when it sets the letters as the suite does (outlines unhinted,
// at fractional places, and kerned only where the deck asks for kerning).
TEST_F(ShowRendering, CentredLinesHaveTheSuitesWidth)
{
    for (const char* deck : {"fidelity-wide.fodp", "fidelity-classic.fodp"}) {
        const QJsonArray lines =
            QJsonDocument::fromJson(RunInShow(QStringLiteral(DECKREC_TEST_DECKS "/") + deck, kCentredLines).toUtf8()).array();
        ASSERT_GE(lines.size(), 2) << deck;
        for (const QJsonValue& value : lines) {
            const QJsonObject line = value.toObject();
            const double middle = (line["start"].toDouble() + line["end"].toDouble()) / 2;
            EXPECT_NEAR(middle, line["middle"].toDouble(), 30.0) << deck << ": " << line["text"].toString().toStdString();
        }
    }
}

// A family no system has, drawn from the face the deck embeds: the test renames a serif face
// of the system to "Deckrec EmbSerif" and packs it into the deck. Ten W's are as wide as that
// face sets them (a fallback face sets them 5 % wider or more), and the font check does not
// call the family missing.
TEST_F(ShowRendering, AFaceTheDeckEmbedsIsDrawnAndNotReportedMissing)
{
    QProcess match;
    match.start(QStringLiteral("fc-match"), {"-f", "%{file}", "Liberation Serif"});
    ASSERT_TRUE(match.waitForFinished(20000));
    QFile face(QString::fromUtf8(match.readAllStandardOutput()));
    ASSERT_TRUE(face.open(QIODevice::ReadOnly));
    QByteArray renamed = face.readAll();
    const QString name = QStringLiteral("Liberation Serif"), to = QStringLiteral("Deckrec EmbSerif"); // of one length
    QByteArray from16, to16;
    for (int i = 0; i < name.size(); ++i) {
        from16 += '\0', from16 += name[i].toLatin1();
        to16 += '\0', to16 += to[i].toLatin1();
    }
    renamed.replace(name.toLatin1(), to.toLatin1()).replace(from16, to16);
    const QRawFont raw(renamed, 100);
    const QList<quint32> w = raw.glyphIndexesForString(QStringLiteral("W"));
    ASSERT_EQ(w.size(), 1);
    const double tenWs = 10 * raw.advancesForGlyphIndexes(w).front().x() / 100;
    const QString package = QString::fromStdString(show.folder.path()) + "package";
    const QString deck = QString::fromStdString(show.folder.path()) + "embedded-font.odp";
    QProcess copy;
    copy.start(QStringLiteral("cp"), {"-r", DECKREC_TEST_DECKS "/embedded-font", package});
    ASSERT_TRUE(copy.waitForFinished(20000));
    ASSERT_TRUE(QDir(package).mkpath(QStringLiteral("Fonts")));
    QFile packed(package + "/Fonts/face.ttf");
    ASSERT_TRUE(packed.open(QIODevice::WriteOnly) && packed.write(renamed) == renamed.size());
    packed.close();
    // The mimetype first and stored, as the format wants it.
    for (const QStringList& args : {QStringList{"-q", "-X", "-0", deck, "mimetype"},
                                    QStringList{"-q", "-X", "-r", deck, "META-INF", "content.xml", "settings.xml", "Fonts"}}) {
        QProcess zip;
        zip.setWorkingDirectory(package);
        zip.start(QStringLiteral("zip"), args);
        ASSERT_TRUE(zip.waitForFinished(20000) && zip.exitCode() == 0);
    }

    const QJsonObject widths = QJsonDocument::fromJson(RunInShow(deck, kLineWidths).toUtf8()).object();
    EXPECT_NEAR(widths["WWWWWWWWWW"].toDouble(), tenWs, 0.01 * tenWs);

    std::optional<QStringList> missing;
    show.converter.CheckFonts(deck, [&](const QStringList& lines) { missing = lines; });
    ASSERT_TRUE(WaitFor([&] { return missing.has_value(); }, 120000));
    EXPECT_TRUE(missing->isEmpty()) << missing->join('\n').toStdString();
}

// Justified paragraphs end every line but their last at the right edge of the text area (the
// box less its right padding); other paragraphs keep their natural spaces.
TEST_F(ShowRendering, JustifiedLinesEndAtTheBoxsRightPaddingAndOtherLinesKeepTheirSpaces)
{
    struct Case {
        const char* deck;
        double right;               // where justified lines end: x + width - right padding
        std::vector<int> justified; // the outline's justified paragraphs; the others are not
        size_t lines;               // at least this many justified lines but last ones in all
    };
    const Case cases[] = {
        // A justified paragraph with hard line breaks in a box padded 0.8 cm on the right, then a
        // paragraph aligned on its start.
        {"text-layout.fodp", 26800 - 800, {0}, 3},
        // Bullets justified by the master's first and second outline levels although the shape's
        // own paragraph style sets them on their start, then a paragraph set on its start by a
        // style of its own.
        {"list-alignment.fodp", 26800 - 250, {0, 1}, 3},
    };
    for (const Case& c : cases) {
        const QJsonArray lines =
            QJsonDocument::fromJson(RunInShow(QStringLiteral(DECKREC_TEST_DECKS "/") + c.deck, kOutlineLineEnds).toUtf8()).array();
        std::map<int, std::vector<QJsonObject>> paragraphs;
        for (const QJsonValue& value : lines)
            paragraphs[value.toObject()["paragraph"].toInt()].push_back(value.toObject());
        size_t spreadLines = 0;
        bool plainSeen = false;
        for (const auto& [index, paragraph] : paragraphs) {
            const bool justified = std::count(c.justified.begin(), c.justified.end(), index) > 0;
            plainSeen |= !justified;
            for (size_t i = 0; i < paragraph.size(); ++i) {
                const std::string text = c.deck + std::string(": ") + paragraph[i]["text"].toString().toStdString();
                const double end = paragraph[i]["end"].toDouble();
                const bool spread = !paragraph[i]["spacing"].toString().isEmpty();
                if (justified && i + 1 < paragraph.size()) {
                    // A line ended by a hard break ("…short line.") is spread too, as the suite spreads it.
                    ++spreadLines;
                    EXPECT_NEAR(end, c.right, 30.0) << text;
                    EXPECT_TRUE(spread) << text;
                    continue;
                }
                if (justified) {
                    EXPECT_LT(end, c.right - 1000) << "the last line is not spread: " << text;
                }
                EXPECT_FALSE(spread) << text;
                EXPECT_LE(end, c.right + 30.0) << text;
            }
        }
        EXPECT_GE(spreadLines, c.lines) << c.deck;
        EXPECT_TRUE(plainSeen) << c.deck;
    }
}

// The master's fields are padded 0.4 cm on the left and 0.6 cm on the right: the date starts at
// 1.2 + 0.4 cm, the slide number ends at 26.8 - 0.6 cm and reads 1, where the suite draws them,
// and no placeholder text is drawn on the slide.
TEST_F(ShowRendering, MasterFieldsShowTheirValueWhereTheSuiteDrawsThem)
{
    const QJsonObject shown =
        QJsonDocument::fromJson(RunInShow(QStringLiteral(DECKREC_TEST_DECKS "/text-layout.fodp"), kMasterFields).toUtf8()).object();
    const QJsonObject fields = shown["fields"].toObject();
    const QJsonObject date = fields["Date/Time"].toObject();
    const QJsonObject number = fields["Slide_Number"].toObject();
    EXPECT_EQ(date["anchor"].toString(), "start");
    EXPECT_NEAR(date["x"].toDouble(), 1600, 5);
    EXPECT_EQ(number["text"].toString(), "1");
    EXPECT_EQ(number["anchor"].toString(), "end");
    EXPECT_NEAR(number["x"].toDouble(), 26200, 10);
    EXPECT_TRUE(shown["placeholders"].toArray().isEmpty()) << QJsonDocument(shown["placeholders"].toArray()).toJson().toStdString();
}

// The view's pixels per slide unit and where the slide's origin lies in the view.
const char kSlideInView[] = R"JS(
(function () {
  var m = document.querySelector('.SlideGroup g.Slide').getScreenCTM();
  return JSON.stringify({ scale: m.a, x: m.e, y: m.f });
})()
)JS";

// Lines of no width are one pixel of the view wide and fully dark, whatever their colour,
// course or shape, as the suite draws them; a line of a width of its own keeps that width.
TEST_F(ShowRendering, HairlinesAreOneDarkPixelWide)
{
    ASSERT_TRUE(show.Load(DECKREC_TEST_DECKS "/hairlines.fodp")) << "the show did not load";
    const QJsonObject slide = QJsonDocument::fromJson(show.Run(kSlideInView).toUtf8()).object();
    const double scale = slide["scale"].toDouble();
    ASSERT_GT(scale, 0);
    struct Case {
        const char* line;
        double x, y;     // a point of the line, slide units (1/100 mm)
        bool across;     // read the pixels along x (an upright or slanted line), else along y
        QRgb colour;
        int widthPixels; // how many pixels across it darkens more than half-way
    };
    const QRgb black = qRgb(0, 0, 0);
    const Case cases[] = {
        {"the master's rule", 5000, 3050, false, black, 1},
        {"a black hairline", 5000, 4530, false, black, 1},
        {"a coloured hairline", 5000, 6070, false, qRgb(0xc0, 0, 0), 1},
        {"an upright hairline", 7010, 10000, true, black, 1},
        {"a slanted hairline", 8000 + 4800 * 3.5 / 7, 11000, true, black, 1},
        {"a filled box's outline", 15020, 6000, true, black, 1},
        {"an ellipse's outline", 20900, 14500, false, black, 1},
        {"a line 1 mm wide", 20000, 11000, false, black, 3},
    };
    QImage frame;
    const QPoint first(int(slide["x"].toDouble() + 5000 * scale), int(slide["y"].toDouble() + 4530 * scale));
    ASSERT_TRUE(WaitFor(
        [&] {
            frame = show.view.grab().toImage().convertToFormat(QImage::Format_RGB32);
            for (int dy = -2; dy <= 2; ++dy)
                if (qGray(frame.pixel(first.x(), first.y() + dy)) < 128)
                    return true;
            return false;
        },
        20000))
        << "the slide was not drawn";
    for (const Case& c : cases) {
        const int x = int(slide["x"].toDouble() + c.x * scale), y = int(slide["y"].toDouble() + c.y * scale);
        int darkest = 255 * 3, width = 0;
        QRgb ink = qRgb(255, 255, 255);
        for (int d = -4; d <= 4; ++d) {
            const QRgb pixel = c.across ? frame.pixel(x + d, y) : frame.pixel(x, y + d);
            // How far from white towards the line's colour, in the sum of the channels.
            const int distance = std::abs(qRed(pixel) - qRed(c.colour)) + std::abs(qGreen(pixel) - qGreen(c.colour)) +
                                 std::abs(qBlue(pixel) - qBlue(c.colour));
            const int full = std::abs(255 - qRed(c.colour)) + std::abs(255 - qGreen(c.colour)) + std::abs(255 - qBlue(c.colour));
            if (distance < darkest)
                darkest = distance, ink = pixel;
            width += distance * 2 < full;
        }
        EXPECT_LE(darkest, 40) << c.line << ": its darkest pixel is " << std::hex << ink;
        EXPECT_EQ(width, c.widthPixels) << c.line;
    }
}

// Every run of text on the first slide: its characters, how wide the browser sets them and its
// font size (SVG units).
const char kRunWidths[] = R"JS(
(function () {
  var runs = [];
  document.querySelector('.SlideGroup g.Slide').querySelectorAll('tspan').forEach(function (run) {
    if (run.querySelector('tspan') || !run.textContent.trim()) return;
    runs.push({ text: run.textContent, width: run.getComputedTextLength(),
                size: parseFloat(getComputedStyle(run).fontSize) });
  });
  return JSON.stringify(runs);
})()
)JS";

// Letters spaced as the deck spaces them, by whichever style says so: each run is as wide as
// its font sets its characters (unkerned, as the deck asks for no kerning) plus the spacing
// after each of them.
TEST_F(ShowRendering, LettersAreSpacedAsTheDeckSpacesThem)
{
    QProcess match;
    match.start(QStringLiteral("fc-match"), {"-f", "%{file}", "Liberation Sans"});
    ASSERT_TRUE(match.waitForFinished(20000));
    const QRawFont font(QString::fromUtf8(match.readAllStandardOutput()), 1000);
    ASSERT_TRUE(font.isValid());
    const QJsonArray runs =
        QJsonDocument::fromJson(RunInShow(QStringLiteral(DECKREC_TEST_DECKS "/letter-spacing.fodp"), kRunWidths).toUtf8()).array();
    struct Case {
        const char* text;
        double spacing; // after each character, SVG units (1/100 mm)
    };
    const Case cases[] = {
        {"SPACED TITLE", 100},               // the title's presentation style: 0.1 cm
        {"NATURAL LABEL", 0},                // a box whose style says nothing
        {"BOX LABEL", 120},                  // the box's graphic style, by its parent: 0.12 cm
        {"PARAGRAPH LABEL", 3 * 2540 / 72.}, // the paragraph's style: 3 pt
        {"UNSPACED SPAN", 0},                // a span's "normal" in a spaced box
        {"Plain words", 0},
        {"WIDE", 200},                       // a span's own: 0.2 cm
        {"Condensed words", -40},            // closer: -0.04 cm
    };
    for (const Case& c : cases) {
        QJsonObject run;
        for (const QJsonValue& value : runs)
            if (value.toObject()["text"].toString().trimmed() == QLatin1String(c.text))
                run = value.toObject();
        ASSERT_FALSE(run.isEmpty()) << c.text;
        const QString text = run["text"].toString();
        double natural = 0;
        for (const QPointF& advance : font.advancesForGlyphIndexes(font.glyphIndexesForString(text), QRawFont::UseDesignMetrics))
            natural += advance.x();
        const double expected = natural * run["size"].toDouble() / 1000 + c.spacing * text.size();
        EXPECT_NEAR(run["width"].toDouble(), expected, std::max(10.0, 0.005 * expected)) << c.text;
    }
}

// Every run of text on the first slide, as the browser is given it to draw.
const char kRunTexts[] = R"JS(
(function () {
  var runs = [];
  document.querySelector('.SlideGroup g.Slide').querySelectorAll('tspan').forEach(function (run) {
    if (!run.querySelector('tspan') && run.textContent.trim()) runs.push(run.textContent.trim());
  });
  return JSON.stringify(runs);
})()
)JS";

// Wingdings and Symbol are not installed: their runs show the symbols the suite draws, whether
// the deck writes their codes in Latin-1 or in the private area; the same letters in another
// face stay letters.
TEST_F(ShowRendering, MissingSymbolFontsShowTheirSymbolsAndOtherFacesKeepTheirLetters)
{
    ASSERT_FALSE(FontResolver::Shared().IsInstalled(QStringLiteral("Wingdings")));
    ASSERT_FALSE(FontResolver::Shared().IsInstalled(QStringLiteral("Symbol")));
    const QJsonArray runs =
        QJsonDocument::fromJson(RunInShow(QStringLiteral(DECKREC_TEST_DECKS "/symbol-text.fodp"), kRunTexts).toUtf8()).array();
    QStringList texts;
    for (const QJsonValue& run : runs)
        texts << run.toString();
    const QStringList expected = {"Marks", QString::fromUtf16(u"\u25AA\u27A2\u2713\u25A0"), "end",
                                  "Private", QString::fromUtf16(u"\u2713\u25AA"), "codes",
                                  "Greek", QString::fromUtf16(u"\u03B1\u03B2\u03C0\u03A9\u03B11"), "and",
                                  QString::fromUtf16(u"\u2260\u2265\u221E"), QString::fromUtf16(u"Letters \u00A7\u00D8\u00FC ab stay")};
    EXPECT_EQ(texts, expected) << texts.join(QLatin1Char('|')).toStdString();
}

// Per text line of the plain text boxes on the first slide: its text and where its last
// character ends (SVG units).
const char kTextBoxLineEnds[] = R"JS(
(function () {
  var lines = [];
  document.querySelector('.SlideGroup g.Slide').querySelectorAll('g.TextShape').forEach(function (shape) {
    shape.querySelectorAll('tspan.TextPosition').forEach(function (line) {
      var text = line.textContent.replace(/\s+$/, '');
      if (!text) return;
      lines.push({ text: text, end: line.getEndPositionOfChar(text.length - 1).x });
    });
  });
  return JSON.stringify(lines);
})()
)JS";

// A line ending in symbols of a missing Wingdings or Symbol ends where the suite ends it: a
// right-aligned one at the box's padding (0.25 cm), where the suite set it from, and none
// past it, however many symbols it holds.
TEST_F(ShowRendering, LinesEndingInMissingSymbolsEndWhereTheSuiteEndsThem)
{
    const QJsonArray lines =
        QJsonDocument::fromJson(RunInShow(QStringLiteral(DECKREC_TEST_DECKS "/symbol-line-end.fodp"), kTextBoxLineEnds).toUtf8()).array();
    struct Case {
        QString start; // the line's first characters
        double edge;   // the right edge of its box's text area: x + width - 0.25 cm
        bool alignedRight;
    };
    const Case cases[] = {
        {QString::fromUtf16(u"Done \u2713"), 12950, true},         // Wingdings' check marks
        {QString::fromUtf16(u"Next \u2794"), 12950, true},         // and arrows
        {QString::fromUtf16(u"Angles \u03B1"), 12950, true},       // Symbol's Greek letters
        {QStringLiteral("Letters alone"), 12950, true},
        {QString::fromUtf16(u"\u2713\u2713\u2713"), 26550, false}, // a line of check marks alone
        {QString::fromUtf16(u"Marked \u25AA"), 26550, false},      // small squares up to the box's edge
    };
    for (const Case& c : cases) {
        QJsonObject line;
        for (const QJsonValue& value : lines)
            if (value.toObject()["text"].toString().startsWith(c.start))
                line = value.toObject();
        ASSERT_FALSE(line.isEmpty()) << c.start.toStdString();
        if (c.alignedRight)
            EXPECT_NEAR(line["end"].toDouble(), c.edge, 30.0) << c.start.toStdString();
        else
            EXPECT_LE(line["end"].toDouble(), c.edge + 30.0) << c.start.toStdString();
    }
}

} // namespace
