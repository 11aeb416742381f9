// SPDX-License-Identifier: GPL-3.0-or-later
#include "record/deck_text.h"
#include "record/odf_names.h"

#include <QFile>
#include <QXmlStreamReader>

namespace {

using odf::kDraw;
using odf::kPresentation;
using odf::kText;

// The text of the element the reader stands on, to its end: paragraphs and headings on lines
// of their own, text:s, text:tab and text:line-break as the spaces and breaks they stand for.
QString ElementText(QXmlStreamReader& xml)
{
    QString text;
    int depth = 1;
    while (depth > 0 && !xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            ++depth;
            const bool inText = xml.namespaceUri() == kText;
            const QStringView name = xml.name();
            if (inText && (name == u"p" || name == u"h") && !text.isEmpty() && !text.endsWith(QLatin1Char('\n')))
                text += QLatin1Char('\n');
            else if (inText && name == u"s")
                text += QString(qMax(1, xml.attributes().value(kText, QStringLiteral("c")).toInt()), QLatin1Char(' '));
            else if (inText && name == u"tab")
                text += QLatin1Char(' ');
            else if (inText && name == u"line-break")
                text += QLatin1Char('\n');
        } else if (token == QXmlStreamReader::EndElement) {
            --depth;
        } else if (token == QXmlStreamReader::Characters) {
            // Line breaks inside the XML are layout, not text.
            text += xml.text().toString().replace(QLatin1Char('\n'), QLatin1Char(' '));
        }
    }
    return text.trimmed();
}

std::string Utf8(const QString& text)
{
    return text.toUtf8().toStdString();
}

} // namespace

bool DeckText::HasNotes() const
{
    for (const std::string& note : notes)
        if (note.find_first_not_of(" \n\t") != std::string::npos)
            return true;
    return false;
}

DeckText ReadFlatDeckText(const QByteArray& fodp)
{
    DeckText deck;
    QXmlStreamReader xml(fodp);
    bool inNotes = false;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && xml.namespaceUri() == kPresentation && xml.name() == u"notes")
            inNotes = false;
        if (token != QXmlStreamReader::StartElement)
            continue;
        if (xml.namespaceUri() == kDraw && xml.name() == u"page") {
            deck.titles.emplace_back();
            deck.notes.emplace_back();
            continue;
        }
        if (deck.titles.empty())
            continue;
        if (xml.namespaceUri() == kPresentation && xml.name() == u"notes") {
            inNotes = true;
            continue;
        }
        // A deck that came through .pptx may hold its notes in a plain text shape of the notes
        // page rather than in its notes placeholder; the placeholder wins where both have text.
        if (inNotes && xml.namespaceUri() == kDraw && xml.name() == u"custom-shape") {
            const std::string text = Utf8(ElementText(xml));
            if (deck.notes.back().empty())
                deck.notes.back() = text;
            continue;
        }
        if (xml.namespaceUri() != kDraw || xml.name() != u"frame")
            continue;
        const QStringView kind = xml.attributes().value(kPresentation, QStringLiteral("class"));
        if (inNotes && kind == u"notes") {
            const std::string text = Utf8(ElementText(xml));
            if (!text.empty() || deck.notes.back().empty())
                deck.notes.back() = text;
        }
        else if (!inNotes && kind == u"title" && deck.titles.back().empty())
            deck.titles.back() = Utf8(ElementText(xml).simplified());
    }
    return deck;
}

DeckText ReadFlatDeckTextFile(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return ReadFlatDeckText(file.readAll());
}
