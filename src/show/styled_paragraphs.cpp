// SPDX-License-Identifier: GPL-3.0-or-later
#include "show/styled_paragraphs.h"

#include "show/show_document.h"

#include <QJsonArray>
#include <QRegularExpression>
#include <QXmlStreamReader>

namespace {

QString Key(const QString& family, const QString& name)
{
    return family + QLatin1Char('/') + name;
}

QString Squeezed(QStringView text)
{
    QString out;
    for (const QChar c : text)
        if (!c.isSpace())
            out += c;
    return out;
}

class Reader {
public:
    Reader(const QByteArray& flatOdf, QHash<QString, StyledParagraphs::Style>& styles, std::vector<DeckParagraph>& paragraphs)
        : xml_(flatOdf), styles_(styles), paragraphs_(paragraphs)
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
    }

private:
    QString Attribute(const char* name) const { return xml_.attributes().value(QLatin1String(name)).toString(); }

    void AddText(QStringView text)
    {
        const QString squeezed = Squeezed(text);
        if (squeezed.isEmpty())
            return;
        std::vector<DeckRun>& runs = paragraph_->runs;
        if (runs.empty() || runs.back().spans != spans_)
            runs.push_back({spans_, QString()});
        runs.back().text += squeezed;
    }

    void ReadProperties(StyledParagraphs::Style& style)
    {
        const QString element = xml_.qualifiedName().toString() + QLatin1Char('/');
        const QXmlStreamAttributes attributes = xml_.attributes();
        for (const QXmlStreamAttribute& attribute : attributes) {
            const QString value = attribute.value().trimmed().toString();
            if (!value.isEmpty())
                style.properties.insert(element + attribute.qualifiedName().toString(), value);
        }
        // fo:padding stands for each side the element does not give on its own.
        const QString padding = attributes.value(QLatin1String("fo:padding")).trimmed().toString();
        if (padding.isEmpty())
            return;
        for (const char* side : {"fo:padding-left", "fo:padding-right", "fo:padding-top", "fo:padding-bottom"})
            if (attributes.value(QLatin1String(side)).trimmed().isEmpty())
                style.properties.insert(element + QLatin1String(side), padding);
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
            ReadProperties(styles_[styleKey_]);
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
            DeckShape shape;
            const auto x = OdfLength(Attribute("svg:x"));
            const auto width = OdfLength(Attribute("svg:width"));
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
            paragraph_ = DeckParagraph{slide_, shapes_.back().second, Attribute("text:style-name"), listLevel_, {}};
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

    QXmlStreamReader xml_;
    QHash<QString, StyledParagraphs::Style>& styles_;
    std::vector<DeckParagraph>& paragraphs_;
    std::vector<QString> elements_;
    QString styleKey_;
    QString slide_;
    bool inSlide_ = false;
    int skipped_ = 0;
    int listLevel_ = 0;
    std::vector<std::pair<qsizetype, DeckShape>> shapes_; // with the depth of their element
    std::optional<DeckParagraph> paragraph_;
    qsizetype paragraphDepth_ = 0;
    std::vector<QString> spans_;
};

} // namespace

std::optional<double> OdfLength(const QString& value)
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

void AddToPagePlan(QJsonObject& plan, const QString& slideName, const QJsonObject& entry)
{
    QString key;
    for (const QChar c : slideName)
        if (c.isLetterOrNumber())
            key += c;
    QJsonArray page = plan.value(key).toArray();
    page.append(entry);
    plan.insert(key, page);
}

QString DeckParagraph::Text() const
{
    QString text;
    for (const DeckRun& run : runs)
        text += run.text;
    return text;
}

StyledParagraphs::StyledParagraphs(const QByteArray& flatOdf)
{
    // Styles come before the body in a flat file, but a paragraph is judged once all are known.
    Reader(flatOdf, styles_, paragraphs_);
}

// Along a style's parent chain; an empty name is the family's default style. A presentation
// outline's deeper levels have styles of their own (…-outline2, …-outline3), which the file
// names only for the first level, often as the parent of the shape's own style.
QString StyledParagraphs::Chain(const QString& family, QString name, const QString& property, int outlineLevel) const
{
    static const QRegularExpression firstLevel(QStringLiteral("outline1$"));
    for (int guard = 0; guard < 32; ++guard) {
        if (outlineLevel > 1 && firstLevel.match(name).hasMatch()) {
            const QString value = Chain(family, name.left(name.size() - 1) + QString::number(outlineLevel), property);
            if (!value.isEmpty())
                return value;
        }
        const auto style = styles_.constFind(Key(family, name));
        if (style == styles_.constEnd())
            break;
        const QString value = style->properties.value(property);
        if (!value.isEmpty())
            return value;
        if (name.isEmpty() || style->parent.isEmpty())
            break;
        name = style->parent;
    }
    return {};
}

QString StyledParagraphs::LevelValue(const DeckParagraph& paragraph, const QString& property) const
{
    if (paragraph.shape.presentationStyle.isEmpty())
        return {};
    return Chain(QStringLiteral("presentation"), paragraph.shape.presentationStyle, property, paragraph.listLevel);
}

QString StyledParagraphs::ShapeValue(const DeckParagraph& paragraph, const QString& property) const
{
    const QString graphic = QStringLiteral("graphic");
    QString value = LevelValue(paragraph, property);
    if (value.isEmpty() && !paragraph.shape.graphicStyle.isEmpty())
        value = Chain(graphic, paragraph.shape.graphicStyle, property);
    if (value.isEmpty())
        value = Chain(graphic, QString(), property);
    return value;
}

QString StyledParagraphs::ParagraphValue(const DeckParagraph& paragraph, const QString& property) const
{
    const QString family = QStringLiteral("paragraph");
    QString value;
    if (!paragraph.style.isEmpty())
        value = Chain(family, paragraph.style, property);
    // A placeholder's paragraphs take their level's style before the shape's own paragraph
    // style: the suite reads a .pptx whose master (or list level) justifies the body into outline
    // styles that justify, beside a shape style that sets every paragraph on its start, and
    // draws the paragraphs justified.
    if (value.isEmpty())
        value = LevelValue(paragraph, property);
    if (value.isEmpty() && !paragraph.shape.textStyle.isEmpty())
        value = Chain(family, paragraph.shape.textStyle, property);
    if (value.isEmpty())
        value = ShapeValue(paragraph, property);
    if (value.isEmpty())
        value = Chain(family, QString(), property);
    return value;
}

QString StyledParagraphs::RunValue(const DeckParagraph& paragraph, const DeckRun& run, const QString& property) const
{
    QString value;
    for (auto span = run.spans.rbegin(); value.isEmpty() && span != run.spans.rend(); ++span)
        value = Chain(QStringLiteral("text"), *span, property);
    return value.isEmpty() ? ParagraphValue(paragraph, property) : value;
}

QByteArray WithPlannedParagraphScript(const QByteArray& show, const QString& name, const QJsonObject& plan)
{
    return WithPageScript(WithPageScript(show, QStringLiteral("planned_paragraphs")), name, plan);
}
