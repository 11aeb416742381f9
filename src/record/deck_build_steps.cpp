// SPDX-License-Identifier: GPL-3.0-or-later
#include "record/deck_build_steps.h"
#include "record/odf_names.h"

#include <QFile>
#include <QXmlStreamReader>

namespace {

using odf::kDraw;
using odf::kPresentation;
using odf::kAnimation;

QStringView NodeType(const QXmlStreamReader& xml)
{
    return xml.attributes().value(kPresentation, QStringLiteral("node-type"));
}

} // namespace

std::vector<int> ReadFlatDeckBuildSteps(const QByteArray& fodp)
{
    std::vector<int> steps;
    QXmlStreamReader xml(fodp);
    // The depth of the main sequence's element while inside it, else 0.
    int depth = 0;
    int mainSequence = 0;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement) {
            if (depth == mainSequence)
                mainSequence = 0;
            --depth;
            continue;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        ++depth;
        if (xml.namespaceUri() == kDraw && xml.name() == u"page") {
            steps.push_back(0);
            continue;
        }
        if (steps.empty() || xml.namespaceUri() != kAnimation)
            continue;
        if (mainSequence == 0 && xml.name() == u"seq" && NodeType(xml) == u"main-sequence")
            mainSequence = depth;
        else if (mainSequence != 0 && NodeType(xml) == u"on-click")
            ++steps.back();
    }
    return steps;
}

std::vector<int> ReadFlatDeckBuildStepsFile(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return ReadFlatDeckBuildSteps(file.readAll());
}
