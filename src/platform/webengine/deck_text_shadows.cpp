#include "platform/webengine/deck_text_shadows.h"
#include "platform/webengine/show_document.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <optional>

namespace {

struct Style {
    QString parent;
    QString textShadow; // fo:text-shadow as written: "none", or an offset the suite ignores
};

// Styles by family and name; default styles by family under an empty name.
using Styles = QHash<QString, Style>;

QString Key(const QString& family, const QString& name)
{
    return family + QLatin1Char('/') + name;
}

struct Shape {
    QString presentationStyle;
    QString graphicStyle;
    QString textStyle;
};

// A piece of a paragraph under one nesting of spans, without its white space.
struct Run {
    std::vector<QString> spans; // text:span style names, outermost first
    QString text;
};

struct Paragraph {
    QString slide;
    Shape shape;
    QString style;
    int listLevel = 0;
    std::vector<Run> runs;
};

class Reader {
public:
    explicit Reader(const QByteArray& flatOdf) : xml_(flatOdf) {}

    std::vector<ShadowedParagraph> Read()
    {
        while (!xml_.atEnd()) {
            const QXmlStreamReader::TokenType token = xml_.readNext();
            if (token == QXmlStreamReader::StartElement)
                Start();
            else if (token == QXmlStreamReader::EndElement)
                End();
            else if (token == QXmlStreamReader::Characters && paragraph_ && skipped_ == 0)
                AddText(xml_.text());
        }
        // Styles come before the body in a flat file, but a run is judged once all are known.
        std::vector<ShadowedParagraph> shadowed;
        for (const Paragraph& paragraph : paragraphs_) {
            ShadowedParagraph out;
            out.slide = paragraph.slide;
            for (const Run& run : paragraph.runs) {
                const int first = int(out.text.size());
                out.text += run.text;
                if (!Shadowed(paragraph, run))
                    continue;
                if (!out.shadowed.empty() && out.shadowed.back().second == first)
                    out.shadowed.back().second = int(out.text.size());
                else
                    out.shadowed.push_back({first, int(out.text.size())});
            }
            if (!out.shadowed.empty())
                shadowed.push_back(out);
        }
        return shadowed;
    }

private:
    QString Attribute(const char* name) const { return xml_.attributes().value(QLatin1String(name)).toString(); }

    void AddText(QStringView text)
    {
        QString squeezed;
        for (const QChar c : text)
            if (!c.isSpace())
                squeezed += c;
        if (squeezed.isEmpty())
            return;
        std::vector<Run>& runs = paragraph_->runs;
        if (runs.empty() || runs.back().spans != spans_)
            runs.push_back({spans_, QString()});
        runs.back().text += squeezed;
    }

    void Start()
    {
        const QStringView name = xml_.qualifiedName();
        elements_.push_back(name.toString());
        if (name == QLatin1String("style:style") || name == QLatin1String("style:default-style")) {
            styleKey_ = Key(Attribute("style:family"), name == QLatin1String("style:style") ? Attribute("style:name") : QString());
            styles_[styleKey_].parent = Attribute("style:parent-style-name");
            return;
        }
        if (!styleKey_.isEmpty()) {
            if (name == QLatin1String("style:text-properties") && xml_.attributes().hasAttribute(QLatin1String("fo:text-shadow")))
                styles_[styleKey_].textShadow = Attribute("fo:text-shadow").trimmed();
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
        if (name.startsWith(QLatin1String("draw:")) && xml_.attributes().hasAttribute(QLatin1String("svg:width"))) {
            shapes_.push_back({elements_.size(), Shape{Attribute("presentation:style-name"), Attribute("draw:style-name"),
                                                       Attribute("draw:text-style-name")}});
            return;
        }
        if (name == QLatin1String("text:list")) {
            ++listLevel_;
            return;
        }
        if ((name == QLatin1String("text:p") || name == QLatin1String("text:h")) && !paragraph_ && !shapes_.empty()) {
            paragraph_ = Paragraph{slide_, shapes_.back().second, Attribute("text:style-name"), listLevel_, {}};
            paragraphDepth_ = elements_.size();
            return;
        }
        if (paragraph_ && name == QLatin1String("text:span"))
            spans_.push_back(Attribute("text:style-name"));
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
            paragraphs_.push_back(*paragraph_);
            paragraph_.reset();
            spans_.clear();
            return;
        }
        if (paragraph_ && name == QLatin1String("text:span") && !spans_.empty())
            spans_.pop_back();
    }

    // The text shadow along a style's parent chain, empty when none sets it.
    QString Chain(const QString& family, QString name) const
    {
        for (int guard = 0; guard < 32; ++guard) {
            const auto style = styles_.constFind(Key(family, name));
            if (style == styles_.constEnd())
                break;
            if (!style->textShadow.isEmpty())
                return style->textShadow;
            if (name.isEmpty() || style->parent.isEmpty())
                break;
            name = style->parent;
        }
        return {};
    }

    // A presentation outline's deeper levels have styles of their own (…-outline2, …-outline3),
    // which the file names only for the first level.
    QString PresentationChain(const QString& name, int level) const
    {
        static const QRegularExpression firstLevel(QStringLiteral("outline1$"));
        if (name.isEmpty())
            return {};
        if (level > 1 && firstLevel.match(name).hasMatch()) {
            const QString deeper = name.left(name.size() - 1) + QString::number(level);
            const QString value = Chain(QStringLiteral("presentation"), deeper);
            if (!value.isEmpty())
                return value;
        }
        return Chain(QStringLiteral("presentation"), name);
    }

    // The innermost span first, then the paragraph's style, the shape's text style, the
    // shape's own style and the defaults.
    bool Shadowed(const Paragraph& paragraph, const Run& run) const
    {
        QString value;
        for (auto span = run.spans.rbegin(); value.isEmpty() && span != run.spans.rend(); ++span)
            value = Chain(QStringLiteral("text"), *span);
        const QString paragraphFamily = QStringLiteral("paragraph");
        const QString graphicFamily = QStringLiteral("graphic");
        if (value.isEmpty() && !paragraph.style.isEmpty())
            value = Chain(paragraphFamily, paragraph.style);
        if (value.isEmpty() && !paragraph.shape.textStyle.isEmpty())
            value = Chain(paragraphFamily, paragraph.shape.textStyle);
        if (value.isEmpty())
            value = PresentationChain(paragraph.shape.presentationStyle, paragraph.listLevel);
        if (value.isEmpty() && !paragraph.shape.graphicStyle.isEmpty())
            value = Chain(graphicFamily, paragraph.shape.graphicStyle);
        if (value.isEmpty())
            value = Chain(graphicFamily, QString());
        if (value.isEmpty())
            value = Chain(paragraphFamily, QString());
        return !value.isEmpty() && value != QLatin1String("none");
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
    std::vector<QString> spans_;
    std::vector<Paragraph> paragraphs_;
};

// Runs as the page is parsed, before the show's onload start, so that the show's copies of a
// paragraph (for its animations) carry the shadow too. The suite casts a text shadow whatever
// offset the file gives: down and to the right by a 24th of the font size in whole tenths of a
// point, light grey under black (or nearly black) text and black under any other, sharp and
// opaque, as its PDF export draws it. The browser takes a text shadow's offset in CSS pixels
// of the screen, not in the show's units, so it is set again whenever the page's scale changes.
const char kShadowScript[] = R"JS(
(function (plan) {
  function squeeze(s) { return s.replace(/\s+/g, ''); }
  // The run keeps its shadow in the show's units, so that the show's copies of it carry that too.
  function cast(run) {
    var style = getComputedStyle(run);
    // The show's units are 1/100 mm: a point is 2540/72 of them.
    var tenths = Math.round(parseFloat(style.fontSize) * 720 / 2540);
    var rgb = (style.fill.match(/[\d.]+/g) || [0, 0, 0]).map(Number);
    var dark = style.fill.indexOf('rgb') !== 0 || ((rgb[2] * 29 + rgb[1] * 151 + rgb[0] * 76) >> 8) < 8;
    run.setAttribute('data-text-shadow', ((tenths < 24 ? 1 : Math.floor(tenths / 24)) * 2540 / 720) + ' ' +
                     (dark ? 'rgb(192,192,192)' : 'rgb(0,0,0)'));
  }
  function place() {
    var root = document.documentElement.getScreenCTM();
    if (!root) return;
    var scale = Math.sqrt(root.a * root.a + root.b * root.b);
    document.querySelectorAll('[data-text-shadow]').forEach(function (run) {
      var shadow = run.getAttribute('data-text-shadow').split(' ');
      var d = (parseFloat(shadow[0]) * scale).toFixed(3) + 'px';
      run.style.textShadow = d + ' ' + d + ' 0 ' + shadow[1];
      // The browser draws no text shadow at all for text set with geometric precision, as the
      // page sets its text; a shadowed run is set as the browser sets text by default.
      run.style.textRendering = 'auto';
    });
  }
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
          if (at >= ranges[r][0] && at < ranges[r][1]) { cast(run); break; }
        at += length;
      });
    });
  });
  place();
  // The viewer fits the page to the window by its size attributes, in a resize handler that
  // may run after this one.
  new MutationObserver(place).observe(document.documentElement, { attributes: true });
  window.addEventListener('resize', place);
  window.addEventListener('load', place);
})
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

std::vector<ShadowedParagraph> ShadowedParagraphs(const QByteArray& flatOdf)
{
    return Reader(flatOdf).Read();
}

QByteArray WithTextShadows(const QByteArray& show, const std::vector<ShadowedParagraph>& paragraphs)
{
    if (paragraphs.empty())
        return show;
    QJsonObject plan;
    for (const ShadowedParagraph& paragraph : paragraphs) {
        const QString key = SlideKey(paragraph.slide);
        QJsonArray ranges;
        for (const auto& [first, end] : paragraph.shadowed)
            ranges.append(QJsonArray{first, end});
        QJsonArray slide = plan.value(key).toArray();
        slide.append(QJsonObject{{"t", paragraph.text}, {"s", ranges}});
        plan.insert(key, slide);
    }
    return WithScript(show, kShadowScript + ("(" + ScriptJson(plan) + ");"));
}
