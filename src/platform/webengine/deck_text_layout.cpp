#include "platform/webengine/deck_text_layout.h"
#include "platform/webengine/flat_deck_text.h"
#include "platform/webengine/show_document.h"
#include "platform/fonts/font_resolver.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <algorithm>

namespace {

const QString kTextAlign = QStringLiteral("style:paragraph-properties/fo:text-align");
const QString kTextAlignLast = QStringLiteral("style:paragraph-properties/fo:text-align-last");
const QString kMarginRight = QStringLiteral("style:paragraph-properties/fo:margin-right");
const QString kPaddingRight = QStringLiteral("style:graphic-properties/fo:padding-right");
const QString kLetterSpacing = QStringLiteral("style:text-properties/fo:letter-spacing");
const QString kFontName = QStringLiteral("style:text-properties/style:font-name");
const QString kMarginLeft = QStringLiteral("style:paragraph-properties/fo:margin-left");
const QString kPaddingLeft = QStringLiteral("style:graphic-properties/fo:padding-left");

// Runs as the page is parsed, before the show's onload start, so that the show's copies of a
// paragraph (for its animations) carry the spacing too. It measures the lines as the browser
// sets them, with the faces it draws, and spreads only the word spaces, as the suite does.
const char kJustifyScript[] = R"JS(
(function (plan) {
  function squeeze(s) { return s.replace(/\s+/g, ''); }
  function spread(chunk, right) {
    var text = chunk.textContent;
    var n = text.replace(/\s+$/, '').length;
    var gaps = (text.slice(0, n).match(/[ \u00a0]/g) || []).length;
    if (!n || !gaps) return;
    try {
      var start = chunk.getStartPositionOfChar(0).x;
      var room = right - chunk.getEndPositionOfChar(n - 1).x;
      // A short line before a hard break is spread over the whole width too, but never
      // beyond the box it starts in.
      if (room > 0 && room < right - start) chunk.style.wordSpacing = (room / gaps) + 'px';
    } catch (e) {}
  }
  document.querySelectorAll('g.SlideGroup g.Page').forEach(function (page) {
    var wanted = plan[(page.getAttribute('ooo:name') || '').replace(/[^\p{L}\p{N}]/gu, '')];
    if (!wanted) return;
    page.querySelectorAll('tspan.TextParagraph, tspan.ListItem').forEach(function (paragraph) {
      var text = squeeze(paragraph.textContent);
      var found = -1;
      for (var i = 0; i < wanted.length && found < 0; ++i) if (wanted[i].t === text) found = i;
      if (found < 0) return;
      var p = wanted.splice(found, 1)[0];
      // The lines of the paragraph: its positioned pieces, by baseline.
      var lines = [];
      paragraph.querySelectorAll('tspan.TextPosition').forEach(function (chunk) {
        if (chunk.querySelector('.BulletPlaceholder')) return;
        var y = chunk.getAttribute('y');
        if (!lines.length || lines[lines.length - 1].y !== y) lines.push({ y: y, chunks: [] });
        lines[lines.length - 1].chunks.push(chunk);
      });
      lines.forEach(function (line, n) {
        // The suite spreads a line ended by a hard break too; only the last stays as it is.
        if (n === lines.length - 1 && !p.l) return;
        if (line.chunks.length === 1) spread(line.chunks[0], p.r);
      });
    });
  });
})
)JS";

// Runs as the page is parsed, before the justify script measures the lines and before the
// show's copies of a paragraph are made. The spacing is in the show's units, as the page's
// font sizes are, so it scales with the slide.
const char kSpacingScript[] = R"JS(
(function (plan) {
  function squeeze(s) { return s.replace(/\s+/g, ''); }
  document.querySelectorAll('g.SlideGroup g.Page').forEach(function (page) {
    var wanted = plan[(page.getAttribute('ooo:name') || '').replace(/[^\p{L}\p{N}]/gu, '')];
    if (!wanted) return;
    page.querySelectorAll('tspan.TextParagraph, tspan.ListItem').forEach(function (paragraph) {
      var text = squeeze(paragraph.textContent);
      var found = -1;
      for (var i = 0; i < wanted.length && found < 0; ++i) if (wanted[i].t === text) found = i;
      if (found < 0) return;
      var ranges = wanted.splice(found, 1)[0].s;
      var at = 0;
      paragraph.querySelectorAll('tspan').forEach(function (run) {
        if (run.querySelector('tspan') || run.classList.contains('BulletPlaceholder')) return;
        var length = squeeze(run.textContent).length;
        if (!length) return;
        for (var r = 0; r < ranges.length; ++r)
          if (at >= ranges[r][0] && at < ranges[r][1]) { run.style.letterSpacing = ranges[r][2] + 'px'; break; }
        at += length;
      });
    });
  });
})
)JS";

// Runs as the page is parsed: the paragraph elements of the show's pages get their text area,
// which the served page's symbol script reads once it has recoded their symbols.
const char kTextAreaScript[] = R"JS(
(function (plan) {
  function squeeze(s) { return s.replace(/\s+/g, ''); }
  document.querySelectorAll('g.SlideGroup g.Page').forEach(function (page) {
    var wanted = plan[(page.getAttribute('ooo:name') || '').replace(/[^\p{L}\p{N}]/gu, '')];
    if (!wanted) return;
    page.querySelectorAll('tspan.TextParagraph, tspan.ListItem').forEach(function (paragraph) {
      var text = squeeze(paragraph.textContent);
      for (var i = 0; i < wanted.length; ++i)
        if (wanted[i].t === text) {
          var p = wanted.splice(i, 1)[0];
          paragraph.setAttribute('data-text-area', p.l + ' ' + p.r + ' ' + p.a);
          return;
        }
    });
  });
})
)JS";

// LibreOffice's show script sets a master's date, footer and number fields at a fixed margin
// of 0.25 cm inside their boxes, whatever the box's own padding; the suite draws them where the
// master's placeholder text stands. Runs before that script starts: the box it reads is moved
// so that its margin lands the field where the placeholder was laid out (a right-aligned one
// ends where the placeholder ends, measured on a drawn copy, as masters are not drawn).
const char kFieldScript[] = R"JS(
(function () {
  var margin = 250;
  // A master's plain box that the show fills with a field is a 'TextShape'.
  var fields = { 'Date/Time': 1, 'Footer': 1, 'Header': 1, 'Slide_Number': 1, 'TextShape': 1 };
  document.querySelectorAll('g.BackgroundObjects > g').forEach(function (field) {
    var adjust = field.getAttribute('ooo:text-adjust');
    if (!fields[field.getAttribute('class')] || (adjust !== 'left' && adjust !== 'right')) return;
    var box = field.querySelector('rect.BoundingBox');
    var placeholder = field.querySelector('.PlaceholderText');
    if (!box || !placeholder || !placeholder.textContent) return;
    var line = placeholder.parentNode;
    var left = box.x.baseVal.value, right = left + box.width.baseVal.value;
    if (adjust === 'left') {
      var x = parseFloat(line.getAttribute('x'));
      if (isNaN(x)) return;
      left = x - margin;
    } else {
      var text = line.parentNode.closest('text');
      var copy = text.cloneNode(true);
      copy.setAttribute('visibility', 'hidden');
      document.documentElement.appendChild(copy);
      try {
        var copied = copy.querySelector('.PlaceholderText').parentNode;
        var n = copied.textContent.replace(/\s+$/, '').length;
        right = copied.getEndPositionOfChar(n - 1).x + margin;
      } catch (e) {}
      copy.remove();
    }
    if (right - left <= 0) return;
    box.setAttribute('x', left);
    box.setAttribute('width', right - left);
  });
})();
)JS";

} // namespace

std::vector<SpacedParagraph> SpacedParagraphs(const QByteArray& flatOdf)
{
    const FlatDeckText deck(flatOdf);
    std::vector<SpacedParagraph> spaced;
    for (const DeckParagraph& paragraph : deck.Paragraphs()) {
        SpacedParagraph out;
        out.slide = paragraph.slide;
        for (const DeckRun& run : paragraph.runs) {
            const int first = int(out.text.size());
            out.text += run.text;
            // "normal" (the font's own spacing) reads as no length.
            const double spacing = OdfLength(deck.RunValue(paragraph, run, kLetterSpacing)).value_or(0);
            if (spacing == 0)
                continue;
            if (!out.spaced.empty() && out.spaced.back().end == first && out.spaced.back().spacing == spacing)
                out.spaced.back().end = int(out.text.size());
            else
                out.spaced.push_back({first, int(out.text.size()), spacing});
        }
        if (!out.spaced.empty())
            spaced.push_back(out);
    }
    return spaced;
}

QByteArray WithLetterSpacing(const QByteArray& show, const std::vector<SpacedParagraph>& paragraphs)
{
    if (paragraphs.empty())
        return show;
    QJsonObject plan;
    for (const SpacedParagraph& paragraph : paragraphs) {
        QJsonArray ranges;
        for (const SpacedParagraph::Range& range : paragraph.spaced)
            ranges.append(QJsonArray{range.first, range.end, range.spacing});
        AddToPagePlan(plan, paragraph.slide, {{"t", paragraph.text}, {"s", ranges}});
    }
    return WithScript(show, kSpacingScript + ("(" + ScriptJson(plan) + ");"));
}

std::vector<SymbolParagraph> SymbolParagraphs(const QByteArray& flatOdf)
{
    static const QRegularExpression numbered(QStringLiteral("[0-9]+$"));
    const FlatDeckText deck(flatOdf);
    std::vector<SymbolParagraph> found;
    for (const DeckParagraph& paragraph : deck.Paragraphs()) {
        if (!paragraph.shape.placed)
            continue;
        // A font is named by its declaration, which is the family's name, numbered when two
        // declarations share a family ("Wingdings1").
        const bool symbols = std::any_of(paragraph.runs.begin(), paragraph.runs.end(), [&](const DeckRun& run) {
            const QString name = deck.RunValue(paragraph, run, kFontName);
            return IsRecodedSymbolFont(name) || IsRecodedSymbolFont(QString(name).remove(numbered));
        });
        if (!symbols)
            continue;
        SymbolParagraph out;
        out.slide = paragraph.slide;
        out.text = paragraph.Text();
        out.left = paragraph.shape.x + OdfLength(deck.ShapeValue(paragraph, kPaddingLeft)).value_or(0) +
                   OdfLength(deck.ParagraphValue(paragraph, kMarginLeft)).value_or(0);
        out.right = paragraph.shape.x + paragraph.shape.width - OdfLength(deck.ShapeValue(paragraph, kPaddingRight)).value_or(0) -
                    OdfLength(deck.ParagraphValue(paragraph, kMarginRight)).value_or(0);
        out.align = deck.ParagraphValue(paragraph, kTextAlign);
        if (out.align.isEmpty())
            out.align = QStringLiteral("start");
        if (!out.text.isEmpty())
            found.push_back(out);
    }
    return found;
}

QByteArray WithSymbolTextAreas(const QByteArray& show, const std::vector<SymbolParagraph>& paragraphs)
{
    if (paragraphs.empty())
        return show;
    QJsonObject plan;
    for (const SymbolParagraph& paragraph : paragraphs)
        AddToPagePlan(plan, paragraph.slide,
                      {{"t", paragraph.text}, {"l", paragraph.left}, {"r", paragraph.right}, {"a", paragraph.align}});
    return WithScript(show, kTextAreaScript + ("(" + ScriptJson(plan) + ");"));
}

std::vector<JustifiedParagraph> JustifiedParagraphs(const QByteArray& flatOdf)
{
    const FlatDeckText deck(flatOdf);
    std::vector<JustifiedParagraph> justified;
    for (const DeckParagraph& paragraph : deck.Paragraphs()) {
        if (!paragraph.shape.placed || deck.ParagraphValue(paragraph, kTextAlign) != QLatin1String("justify"))
            continue;
        const double padding = OdfLength(deck.ShapeValue(paragraph, kPaddingRight)).value_or(0);
        const double margin = OdfLength(deck.ParagraphValue(paragraph, kMarginRight)).value_or(0);
        JustifiedParagraph out;
        out.slide = paragraph.slide;
        out.text = paragraph.Text();
        out.right = paragraph.shape.x + paragraph.shape.width - padding - margin;
        out.lastLineToo = deck.ParagraphValue(paragraph, kTextAlignLast) == QLatin1String("justify");
        if (!out.text.isEmpty())
            justified.push_back(out);
    }
    return justified;
}

QByteArray WithJustifiedLines(const QByteArray& show, const std::vector<JustifiedParagraph>& paragraphs)
{
    if (paragraphs.empty())
        return show;
    QJsonObject plan;
    for (const JustifiedParagraph& paragraph : paragraphs)
        AddToPagePlan(plan, paragraph.slide, {{"t", paragraph.text}, {"r", paragraph.right}, {"l", paragraph.lastLineToo}});
    return WithScript(show, kJustifyScript + ("(" + ScriptJson(plan) + ");"));
}

QByteArray WithFieldsWherePlaced(const QByteArray& show)
{
    return show.contains("class=\"BackgroundObjects\"") ? WithScript(show, kFieldScript) : show;
}
