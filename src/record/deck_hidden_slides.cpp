// SPDX-License-Identifier: GPL-3.0-or-later
#include "record/deck_hidden_slides.h"
#include "record/odf_names.h"

#include <QFile>
#include <QSet>
#include <QXmlStreamReader>

namespace {

using odf::kDraw;
using odf::kPresentation;
using odf::kStyle;

} // namespace

std::vector<bool> ReadFlatDeckHiddenSlides(const QByteArray& fodp)
{
    // Page styles come before the pages in a flat document.
    QSet<QString> hiddenStyles;
    QString pageStyle;
    std::vector<bool> hidden;
    QXmlStreamReader xml(fodp);
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && xml.namespaceUri() == kStyle && xml.name() == u"style")
            pageStyle.clear();
        if (token != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        if (xml.namespaceUri() == kStyle && xml.name() == u"style" &&
            attributes.value(kStyle, QStringLiteral("family")) == u"drawing-page")
            pageStyle = attributes.value(kStyle, QStringLiteral("name")).toString();
        else if (xml.namespaceUri() == kStyle && xml.name() == u"drawing-page-properties" && !pageStyle.isEmpty() &&
                 attributes.value(kPresentation, QStringLiteral("visibility")) == u"hidden")
            hiddenStyles.insert(pageStyle);
        else if (xml.namespaceUri() == kDraw && xml.name() == u"page")
            hidden.push_back(hiddenStyles.contains(attributes.value(kDraw, QStringLiteral("style-name")).toString()));
    }
    return hidden;
}

std::vector<bool> ReadFlatDeckHiddenSlidesFile(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return ReadFlatDeckHiddenSlides(file.readAll());
}
