// SPDX-License-Identifier: GPL-3.0-or-later
#include "show/deck_embedded_fonts.h"
#include "show/show_fonts.h"
#include "show/show_document.h"

#include <QXmlStreamReader>
#include <algorithm>

namespace {

// A family name inside a CSS string: quotes and backslashes escaped, nothing that could end
// the style element.
QString CssString(const QString& text)
{
    QString out;
    for (const QChar c : text) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\') || c == QLatin1Char('<') || c == QLatin1Char('>'))
            out += QStringLiteral("\\%1 ").arg(c.unicode(), 0, 16);
        else
            out += c;
    }
    return QLatin1Char('"') + out + QLatin1Char('"');
}

// Only a plain word or number reaches the CSS.
QString CssKeyword(const QString& value, const QString& fallback)
{
    for (const QChar c : value)
        if (!c.isLetterOrNumber())
            return fallback;
    return value.isEmpty() ? fallback : value;
}

} // namespace

std::vector<EmbeddedFace> EmbeddedFaces(const QByteArray& flatOdf)
{
    std::vector<EmbeddedFace> faces;
    if (!flatOdf.contains("binary-data"))
        return faces;
    QXmlStreamReader xml(flatOdf);
    QString family;
    EmbeddedFace face;
    QString format;
    bool inUri = false;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        const QStringView name = xml.name();
        if (token == QXmlStreamReader::StartElement) {
            const QXmlStreamAttributes attributes = xml.attributes();
            if (name == QLatin1String("font-face") && xml.prefix() == QLatin1String("style")) {
                family = UnquotedFamily(attributes.value(QLatin1String("svg:font-family")).toString());
            } else if (name == QLatin1String("font-face-uri")) {
                inUri = true;
                face = EmbeddedFace{family, CssKeyword(attributes.value(QLatin1String("loext:font-weight")).toString(), "normal"),
                                    CssKeyword(attributes.value(QLatin1String("loext:font-style")).toString(), "normal"), {}};
                format.clear();
            } else if (inUri && name == QLatin1String("font-face-format")) {
                format = attributes.value(QLatin1String("svg:string")).toString();
            } else if (inUri && name == QLatin1String("binary-data")) {
                face.data = QByteArray::fromBase64(xml.readElementText().toLatin1());
            }
        } else if (token == QXmlStreamReader::EndElement && name == QLatin1String("font-face-uri")) {
            inUri = false;
            if (!face.family.isEmpty() && !face.data.isEmpty() && format != QLatin1String("embedded-opentype"))
                faces.push_back(face);
        } else if (token == QXmlStreamReader::EndElement && name == QLatin1String("font-face-decls")) {
            break;
        }
    }
    return faces;
}

QByteArray WithDeckEmbeddedFonts(const QByteArray& show, const QByteArray& flatOdf,
                                 const std::function<bool(const QString& family)>& wanted)
{
    std::vector<EmbeddedFace> faces = EmbeddedFaces(flatOdf);
    faces.erase(std::remove_if(faces.begin(), faces.end(), [&](const EmbeddedFace& face) { return !wanted(face.family); }),
                faces.end());
    if (faces.empty())
        return show;
    QByteArray rules = "<style type=\"text/css\"><![CDATA[\n";
    for (const EmbeddedFace& face : faces) {
        rules += "@font-face { font-family: " + CssString(face.family).toUtf8() + "; font-weight: " + face.weight.toUtf8() +
                 "; font-style: " + face.style.toUtf8() + "; src: url(data:font/sfnt;base64," + face.data.toBase64() +
                 "); }\n";
    }
    rules += "]]></style>\n";
    return WithAtStart(show, rules);
}
