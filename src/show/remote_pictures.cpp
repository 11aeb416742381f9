// SPDX-License-Identifier: GPL-3.0-or-later
#include "show/remote_pictures.h"

#include <QUrl>
#include <QXmlStreamReader>

namespace {

constexpr char kDrawNamespace[] = "urn:oasis:names:tc:opendocument:xmlns:drawing:1.0";
constexpr char kStyleNamespace[] = "urn:oasis:names:tc:opendocument:xmlns:style:1.0";
constexpr char kXlinkNamespace[] = "http://www.w3.org/1999/xlink";

// The elements whose link LibreOffice loads as a picture (or a linked object's picture) when
// it opens the deck; a hyperlink (draw:a, an event's target) is followed only on a click.
bool LoadsItsLink(const QXmlStreamReader& xml)
{
    const QStringView name = xml.name();
    if (xml.namespaceUri() == QLatin1String(kDrawNamespace))
        return name == QLatin1String("image") || name == QLatin1String("fill-image") ||
               name == QLatin1String("object") || name == QLatin1String("object-ole") ||
               name == QLatin1String("plugin") || name == QLatin1String("floating-frame");
    return xml.namespaceUri() == QLatin1String(kStyleNamespace) && name == QLatin1String("background-image");
}

// A link with a scheme that reads from elsewhere than this machine's files or the deck itself
// (relative links, "Pictures/..." inside an .odp, have no scheme; "C:/..." of a deck made on
// Windows has a drive letter).
bool IsNetworkLink(const QString& link)
{
    const QUrl url(link.trimmed());
    if (link.trimmed().startsWith(QLatin1String("//")))
        return true;
    if (!url.isValid() || url.scheme().size() < 2)
        return false;
    const QString scheme = url.scheme().toLower();
    return scheme != QLatin1String("file") && scheme != QLatin1String("data") &&
           !scheme.startsWith(QLatin1String("vnd.sun.star"));
}

} // namespace

QStringList RemotePictureLinks(const QByteArray& flatOdf)
{
    QStringList links;
    QXmlStreamReader xml(flatOdf);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || !LoadsItsLink(xml))
            continue;
        const QString link = xml.attributes().value(QLatin1String(kXlinkNamespace), QLatin1String("href")).toString();
        if (IsNetworkLink(link) && !links.contains(link.trimmed()))
            links << link.trimmed();
    }
    return links;
}

QString RemotePicturesWarning(const QStringList& links)
{
    return (links.size() == 1
                ? QStringLiteral("the deck links a picture on the network; it is drawn as a missing link: ")
                : QStringLiteral("the deck links %1 pictures on the network; they are drawn as missing links: ")
                      .arg(links.size())) +
           links.join(QStringLiteral(", "));
}
