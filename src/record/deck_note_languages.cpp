// SPDX-License-Identifier: GPL-3.0-or-later
#include "record/deck_note_languages.h"

#include "record/odf_names.h"

#include <QFile>
#include <QHash>
#include <QXmlStreamReader>
#include <map>

namespace {

using odf::kDraw;
using odf::kPresentation;
using odf::kStyle;
using odf::kText;
using odf::kFo;

struct NamedStyle {
    QString language; // empty: none of its own
    QString parent;
};

// The language a style gives its text, through the styles it inherits from.
QString LanguageOf(const QHash<QString, NamedStyle>& styles, QString name)
{
    for (int hops = 0; hops < 32 && !name.isEmpty(); ++hops) {
        const auto style = styles.constFind(name);
        if (style == styles.constEnd())
            return {};
        if (!style->language.isEmpty())
            return style->language;
        name = style->parent;
    }
    return {};
}

} // namespace

std::vector<std::string> ReadFlatDeckNoteLanguages(const QByteArray& fodp)
{
    // Styles come before the body in a flat document; the notes name them.
    QHash<QString, NamedStyle> styles;
    std::vector<QStringList> usedByNotes;
    QXmlStreamReader xml(fodp);
    QString currentStyle;
    bool inNotes = false;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && xml.namespaceUri() == kPresentation && xml.name() == u"notes")
            inNotes = false;
        if (token == QXmlStreamReader::EndElement && xml.namespaceUri() == kStyle && xml.name() == u"style")
            currentStyle.clear();
        if (token != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        if (xml.namespaceUri() == kStyle && xml.name() == u"style") {
            currentStyle = attributes.value(kStyle, QStringLiteral("name")).toString();
            styles[currentStyle].parent = attributes.value(kStyle, QStringLiteral("parent-style-name")).toString();
        } else if (xml.namespaceUri() == kStyle && xml.name() == u"text-properties" && !currentStyle.isEmpty()) {
            const QString language = attributes.value(kFo, QStringLiteral("language")).toString();
            if (!language.isEmpty() && language != u"zxx" && language != u"none")
                styles[currentStyle].language = language.toLower();
        } else if (xml.namespaceUri() == kDraw && xml.name() == u"page") {
            usedByNotes.emplace_back();
        } else if (xml.namespaceUri() == kPresentation && xml.name() == u"notes") {
            inNotes = !usedByNotes.empty();
        } else if (inNotes) {
            // The innermost text's style counts first: a span's before its paragraph's, the
            // paragraph's before its frame's.
            for (const QString& attribute : {QStringLiteral("style-name"), QStringLiteral("text-style-name")}) {
                for (const QString& space : {kText, kDraw, kPresentation}) {
                    const QStringView name = attributes.value(space, attribute);
                    if (!name.isEmpty())
                        usedByNotes.back().prepend(name.toString());
                }
            }
        }
    }
    std::vector<std::string> languages;
    for (const QStringList& names : usedByNotes) {
        QString language;
        for (const QString& name : names) {
            language = LanguageOf(styles, name);
            if (!language.isEmpty())
                break;
        }
        languages.push_back(language.toStdString());
    }
    return languages;
}

std::vector<std::string> ReadFlatDeckNoteLanguagesFile(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return ReadFlatDeckNoteLanguages(file.readAll());
}

std::string MainNoteLanguage(const std::vector<std::string>& languages)
{
    std::map<std::string, int> counts;
    for (const std::string& language : languages)
        if (!language.empty())
            ++counts[language];
    std::string main;
    for (const auto& [language, count] : counts)
        if (main.empty() || count > counts[main])
            main = language;
    return main;
}

std::string SlideNoteLanguage(const std::vector<std::string>& languages, int slide, const std::string& mainLanguage)
{
    const size_t k = static_cast<size_t>(slide - 1);
    return slide >= 1 && k < languages.size() && !languages[k].empty() ? languages[k] : mainLanguage;
}
