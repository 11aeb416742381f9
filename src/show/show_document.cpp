// SPDX-License-Identifier: GPL-3.0-or-later
#include "show/show_document.h"

#include "platform/page_scripts.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// Where the root's start tag begins ("<svg") and where its '>' stands; -1 without a root.
std::pair<qsizetype, qsizetype> RootStartTag(const QByteArray& show)
{
    const qsizetype root = show.indexOf("<svg");
    return {root, root < 0 ? -1 : show.indexOf('>', root)};
}

} // namespace

QByteArray WithRootAttribute(const QByteArray& show, const QByteArray& name, const QByteArray& value)
{
    const auto [root, end] = RootStartTag(show);
    if (end < 0 || show.mid(root, end - root).contains(" " + name + "="))
        return show;
    QByteArray result = show;
    result.insert(root + 4, " " + name + "=\"" + value + "\"");
    return result;
}

QByteArray WithAtStart(const QByteArray& show, const QByteArray& content)
{
    const qsizetype end = RootStartTag(show).second;
    if (end < 0)
        return show;
    QByteArray result = show;
    result.insert(end + 1, content);
    return result;
}

QByteArray WithPageScript(const QByteArray& show, const QString& name, const QJsonValue& data, ScriptPlace place)
{
    QByteArray script = PageScript(name);
    const bool called = !data.isUndefined() && !data.isNull();
    // A script without data defines or does the same each time: once is enough.
    if (!called && show.contains(script))
        return show;
    if (called)
        script += "(" + ScriptJson(data) + ");";
    const QByteArray element = "<script type=\"text/ecmascript\"><![CDATA[" + script + "]]></script>\n";
    if (place == ScriptPlace::BeforeShowScript)
        return WithAtStart(show, "\n" + element);
    const qsizetype end = show.lastIndexOf("</svg>");
    if (end < 0)
        return show;
    QByteArray result = show;
    result.insert(end, element);
    return result;
}

QByteArray ScriptJson(const QJsonValue& value)
{
    QByteArray json = value.isObject() ? QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact)
                                       : QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact);
    // Inside character data the only sequence to keep out is its end; in JSON strings a '>'
    // may be written as an escape.
    json.replace("]]>", "]]\\u003e");
    return json;
}
