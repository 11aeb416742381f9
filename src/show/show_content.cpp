// SPDX-License-Identifier: GPL-3.0-or-later
#include "show/show_content.h"

#include <QXmlStreamReader>
#include <vector>

namespace {

// The elements that put something on the screen. A text shape's bounding box is an
// invisible rectangle of LibreOffice's own and does not count.
bool Draws(const QXmlStreamReader& xml)
{
    static const QStringList kShapes = {"path", "rect", "text", "image", "use", "polygon", "polyline", "ellipse",
                                        "circle", "line"};
    if (!kShapes.contains(xml.name().toString()))
        return false;
    return xml.attributes().value("class") != QLatin1String("BoundingBox");
}

// Where an element stands: inside a real slide's page, or inside a master page, and whether
// what is inside it is hidden. The dummy slide and master of the export are neither.
struct Place {
    bool slidePage = false;
    bool master = false;
    bool hidden = false;
};

} // namespace

bool ShowDrawsContent(const QByteArray& show)
{
    QXmlStreamReader xml(show);
    std::vector<Place> open{Place{}};
    bool inSlide = false;
    int slideDepth = 0;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement) {
            if (inSlide && static_cast<int>(open.size()) == slideDepth)
                inSlide = false;
            open.pop_back();
            continue;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        const QStringView kind = attributes.value("class");
        const QStringView id = attributes.value("id");
        Place place = open.back();
        if (kind == QLatin1String("Slide") && id != QLatin1String("dummy-slide")) {
            inSlide = true;
            slideDepth = static_cast<int>(open.size()) + 1;
        } else if (inSlide && kind == QLatin1String("Page")) {
            place.slidePage = true;
        } else if (kind == QLatin1String("Master_Slide") && id != QLatin1String("dummy-master-page")) {
            place.master = true;
            place.hidden = false;
        }
        // A slide waits hidden until the show displays it; only a master's hidden parts stay so.
        if (place.master && attributes.value("visibility") == QLatin1String("hidden"))
            place.hidden = true;
        if ((place.slidePage || (place.master && !place.hidden)) && Draws(xml))
            return true;
        open.push_back(place);
    }
    // A show this reader cannot follow is left to the browser to judge.
    return xml.hasError();
}
