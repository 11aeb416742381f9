#include "platform/webengine/deck_text_layout.h"
#include "platform/webengine/show_document.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <optional>

namespace {

// The few properties of a style that place a paragraph's lines across its box.
struct Style {
    QString parent;
    QString textAlign;
    QString textAlignLast;
    QString marginRight;
    QString paddingRight;
};

// Styles by family and name; default styles by family under an empty name.
using Styles = QHash<QString, Style>;

QString Key(const QString& family, const QString& name)
{
    return family + QLatin1Char('/') + name;
}

// An ODF length in 1/100 mm, the unit of the show's coordinates.
std::optional<double> Length(const QString& value)
{
    static const QRegularExpression re(QStringLiteral("^\\s*(-?[0-9]*\\.?[0-9]+)\\s*(cm|mm|in|pt|pc|px)?\\s*$"));
    const QRegularExpressionMatch match = re.match(value);
    if (!match.hasMatch())
        return std::nullopt;
    const double number = match.captured(1).toDouble();
    const QString unit = match.captured(2);
    if (unit == QLatin1String("cm"))
        return number * 1000.0;
    if (unit == QLatin1String("mm"))
        return number * 100.0;
    if (unit == QLatin1String("in"))
        return number * 2540.0;
    if (unit == QLatin1String("pt"))
        return number * 2540.0 / 72.0;
    if (unit == QLatin1String("pc"))
        return number * 2540.0 / 6.0;
    if (unit == QLatin1String("px"))
        return number * 2540.0 / 96.0;
    return number == 0 ? std::optional<double>(0.0) : std::nullopt;
}

// The shape a paragraph's box belongs to.
struct Shape {
    double x = 0;
    double width = 0;
    bool placed = false; // has a position and width of its own and is not rotated
    QString presentationStyle;
    QString graphicStyle;
    QString textStyle;
};

struct Paragraph {
    QString style;
    int listLevel = 0;
    QString text;
};

class Reader {
public:
    explicit Reader(const QByteArray& flatOdf) : xml_(flatOdf) {}

    std::vector<JustifiedParagraph> Read()
    {
        while (!xml_.atEnd()) {
            const QXmlStreamReader::TokenType token = xml_.readNext();
            if (token == QXmlStreamReader::StartElement)
                Start();
            else if (token == QXmlStreamReader::EndElement)
                End();
            else if (token == QXmlStreamReader::Characters && paragraph_ && skipped_ == 0)
                paragraph_->text += xml_.text();
        }
        // Styles are read before the body in a flat file, but a paragraph is judged once all
        // of them are known.
        std::vector<JustifiedParagraph> justified;
        for (const Pending& pending : pending_) {
            const QString align = ParagraphProperty(pending, &Style::textAlign);
            if (align != QLatin1String("justify"))
                continue;
            const double padding = Length(ShapeProperty(pending.shape, pending.paragraph.listLevel, &Style::paddingRight)).value_or(0);
            const double margin = Length(ParagraphProperty(pending, &Style::marginRight)).value_or(0);
            JustifiedParagraph out;
            out.slide = pending.slide;
            out.text = Squeezed(pending.paragraph.text);
            out.right = pending.shape.x + pending.shape.width - padding - margin;
            out.lastLineToo = ParagraphProperty(pending, &Style::textAlignLast) == QLatin1String("justify");
            if (!out.text.isEmpty())
                justified.push_back(out);
        }
        return justified;
    }

private:
    struct Pending {
        QString slide;
        Shape shape;
        Paragraph paragraph;
    };

    static QString Squeezed(const QString& text)
    {
        QString out;
        out.reserve(text.size());
        for (const QChar c : text)
            if (!c.isSpace())
                out += c;
        return out;
    }

    QString Attribute(const char* name) const { return xml_.attributes().value(QLatin1String(name)).toString(); }

    void Start()
    {
        const QStringView name = xml_.qualifiedName();
        elements_.push_back(name.toString());
        if (name == QLatin1String("style:style") || name == QLatin1String("style:default-style")) {
            const QString family = Attribute("style:family");
            styleKey_ = Key(family, name == QLatin1String("style:style") ? Attribute("style:name") : QString());
            Style& style = styles_[styleKey_];
            style.parent = Attribute("style:parent-style-name");
            return;
        }
        if (!styleKey_.isEmpty()) {
            Style& style = styles_[styleKey_];
            if (name == QLatin1String("style:paragraph-properties")) {
                SetIfGiven(style.textAlign, "fo:text-align");
                SetIfGiven(style.textAlignLast, "fo:text-align-last");
                SetIfGiven(style.marginRight, "fo:margin-right");
            } else if (name == QLatin1String("style:graphic-properties")) {
                SetIfGiven(style.paddingRight, "fo:padding");
                SetIfGiven(style.paddingRight, "fo:padding-right");
            }
            return;
        }
        if (name == QLatin1String("draw:page")) {
            slide_ = Attribute("draw:name");
            inSlide_ = true;
            return;
        }
        if (!inSlide_)
            return;
        // Text that is not the slide's own boxes: notes, tables, embedded charts and forms.
        if (skipped_ > 0 || name == QLatin1String("presentation:notes") || name == QLatin1String("table:table") ||
            name == QLatin1String("draw:object") || name == QLatin1String("office:forms")) {
            ++skipped_;
            return;
        }
        const QXmlStreamAttributes attributes = xml_.attributes();
        if (name.startsWith(QLatin1String("draw:")) && attributes.hasAttribute(QLatin1String("svg:width"))) {
            Shape shape;
            const auto x = Length(Attribute("svg:x"));
            const auto width = Length(Attribute("svg:width"));
            shape.placed = x && width && !attributes.hasAttribute(QLatin1String("draw:transform"));
            shape.x = x.value_or(0);
            shape.width = width.value_or(0);
            shape.presentationStyle = Attribute("presentation:style-name");
            shape.graphicStyle = Attribute("draw:style-name");
            shape.textStyle = Attribute("draw:text-style-name");
            shapes_.push_back({elements_.size(), shape});
            return;
        }
        if (name == QLatin1String("text:list")) {
            ++listLevel_;
            return;
        }
        if ((name == QLatin1String("text:p") || name == QLatin1String("text:h")) && !paragraph_ && !shapes_.empty()) {
            paragraph_ = Paragraph{Attribute("text:style-name"), listLevel_, QString()};
            paragraphDepth_ = elements_.size();
            return;
        }
        if (!paragraph_)
            return;
        if (name == QLatin1String("text:s") || name == QLatin1String("text:tab") || name == QLatin1String("text:line-break"))
            paragraph_->text += QLatin1Char(' ');
    }

    void End()
    {
        const QStringView name = xml_.qualifiedName();
        const qsizetype depth = elements_.size();
        elements_.pop_back();
        if (name == QLatin1String("style:style") || name == QLatin1String("style:default-style")) {
            styleKey_.clear();
            return;
        }
        if (name == QLatin1String("draw:page")) {
            inSlide_ = false;
            return;
        }
        if (!inSlide_)
            return;
        if (skipped_ > 0) {
            --skipped_;
            return;
        }
        if (!shapes_.empty() && shapes_.back().first == depth) {
            shapes_.pop_back();
            return;
        }
        if (name == QLatin1String("text:list")) {
            --listLevel_;
            return;
        }
        if (paragraph_ && depth == paragraphDepth_) {
            if (shapes_.back().second.placed)
                pending_.push_back({slide_, shapes_.back().second, *paragraph_});
            paragraph_.reset();
        }
    }

    void SetIfGiven(QString& field, const char* attribute)
    {
        const QString value = Attribute(attribute);
        if (!value.isEmpty())
            field = value;
    }

    // The value of a property along a style's parent chain, empty when none sets it.
    QString Chain(const QString& family, QString name, QString Style::*property) const
    {
        for (int guard = 0; !name.isEmpty() && guard < 32; ++guard) {
            const auto style = styles_.constFind(Key(family, name));
            if (style == styles_.constEnd())
                break;
            if (!((*style).*property).isEmpty())
                return (*style).*property;
            name = style->parent;
        }
        return {};
    }

    // A presentation outline's deeper levels have styles of their own (…-outline2, …-outline3),
    // which the file names only for the first level.
    QString PresentationChain(QString name, int level, QString Style::*property) const
    {
        static const QRegularExpression firstLevel(QStringLiteral("outline1$"));
        for (int guard = 0; !name.isEmpty() && guard < 32; ++guard) {
            if (level > 1 && firstLevel.match(name).hasMatch()) {
                QString deeper = name;
                deeper.chop(1);
                deeper += QString::number(level);
                const QString value = Chain(QStringLiteral("presentation"), deeper, property);
                if (!value.isEmpty())
                    return value;
            }
            const auto style = styles_.constFind(Key(QStringLiteral("presentation"), name));
            if (style == styles_.constEnd())
                break;
            if (!((*style).*property).isEmpty())
                return (*style).*property;
            name = style->parent;
        }
        return {};
    }

    QString ShapeProperty(const Shape& shape, int level, QString Style::*property) const
    {
        QString value = PresentationChain(shape.presentationStyle, level, property);
        if (value.isEmpty())
            value = Chain(QStringLiteral("graphic"), shape.graphicStyle, property);
        if (value.isEmpty())
            value = Chain(QStringLiteral("graphic"), QString(), property);
        return value;
    }

    // The paragraph's own style first, then the shape's text style, then the shape's.
    QString ParagraphProperty(const Pending& pending, QString Style::*property) const
    {
        QString value = Chain(QStringLiteral("paragraph"), pending.paragraph.style, property);
        if (value.isEmpty())
            value = Chain(QStringLiteral("paragraph"), pending.shape.textStyle, property);
        if (value.isEmpty())
            value = ShapeProperty(pending.shape, pending.paragraph.listLevel, property);
        if (value.isEmpty())
            value = Chain(QStringLiteral("paragraph"), QString(), property);
        return value;
    }

    QXmlStreamReader xml_;
    std::vector<QString> elements_;
    Styles styles_;
    QString styleKey_;
    QString slide_;
    bool inSlide_ = false;
    int skipped_ = 0;
    int listLevel_ = 0;
    std::vector<std::pair<qsizetype, Shape>> shapes_; // with the depth of their element
    std::optional<Paragraph> paragraph_;
    qsizetype paragraphDepth_ = 0;
    std::vector<Pending> pending_;
};

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

// The show writes a slide's name as an identifier (spaces become underscores, ...); its
// letters and digits are what both spellings keep.
QString SlideKey(const QString& name)
{
    QString key;
    for (const QChar c : name)
        if (c.isLetterOrNumber())
            key += c;
    return key;
}

} // namespace

std::vector<JustifiedParagraph> JustifiedParagraphs(const QByteArray& flatOdf)
{
    return Reader(flatOdf).Read();
}

QByteArray WithJustifiedLines(const QByteArray& show, const std::vector<JustifiedParagraph>& paragraphs)
{
    if (paragraphs.empty())
        return show;
    QJsonObject plan;
    for (const JustifiedParagraph& paragraph : paragraphs) {
        const QString key = SlideKey(paragraph.slide);
        QJsonArray slide = plan.value(key).toArray();
        slide.append(QJsonObject{{"t", paragraph.text}, {"r", paragraph.right}, {"l", paragraph.lastLineToo}});
        plan.insert(key, slide);
    }
    return WithScript(show, kJustifyScript + ("(" + ScriptJson(plan) + ");"));
}

QByteArray WithFieldsWherePlaced(const QByteArray& show)
{
    return show.contains("class=\"BackgroundObjects\"") ? WithScript(show, kFieldScript) : show;
}
