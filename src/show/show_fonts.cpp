// SPDX-License-Identifier: GPL-3.0-or-later
#include "show/show_fonts.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>

namespace {

const QRegularExpression& FontListAttribute()
{
    static const QRegularExpression re(QStringLiteral("font-family=\"([^\"]*)\""));
    return re;
}

const QString kEmbedded = QStringLiteral(" embedded");

bool IsGeneric(const QString& family)
{
    static const QSet<QString> generic = {"serif", "sans-serif", "monospace", "cursive", "fantasy", "system-ui"};
    return generic.contains(family.toLower());
}

// The deck's family of one font list and the generic family the browser falls back to.
struct FontList {
    QString family;
    QString generic;
    bool embedded = false;
};

FontList ParseFontList(const QString& value)
{
    FontList list;
    const QStringList parts = value.split(QLatin1Char(','));
    for (const QString& raw : parts) {
        const QString part = UnquotedFamily(raw);
        if (part.isEmpty())
            continue;
        if (IsGeneric(part)) {
            if (list.generic.isEmpty())
                list.generic = part;
        } else if (list.family.isEmpty()) {
            list.family = part;
        }
    }
    if (list.family.endsWith(kEmbedded)) {
        list.family.chop(kEmbedded.size());
        list.embedded = true;
    }
    return list;
}

// The families the show declares as web fonts of its own (faces the deck embeds): drawn as
// the deck asks, wherever the system has them or not.
QSet<QString> FamiliesTheShowCarries(const QString& show)
{
    static const QRegularExpression rule(QStringLiteral("@font-face\\s*\\{\\s*font-family:\\s*\"([^\"]*)\""));
    QSet<QString> families;
    auto it = rule.globalMatch(show);
    while (it.hasNext())
        families.insert(it.next().captured(1).toCaseFolded());
    return families;
}

} // namespace

QString UnquotedFamily(QString family)
{
    family = family.trimmed();
    if (family.size() >= 2 && (family.front() == QLatin1Char('\'') || family.front() == QLatin1Char('"')) &&
        family.back() == family.front())
        family = family.mid(1, family.size() - 2);
    return family;
}

std::vector<FontResolution> ShowFonts(const QByteArray& show, const FontCatalogue& resolver)
{
    std::vector<FontResolution> fonts;
    QSet<QString> seen;
    const QString text = QString::fromUtf8(show);
    const QSet<QString> carried = FamiliesTheShowCarries(text);
    auto it = FontListAttribute().globalMatch(text);
    while (it.hasNext()) {
        const FontList list = ParseFontList(it.next().captured(1));
        if (list.family.isEmpty() || (list.embedded && !IsRecodedSymbolFont(list.family)))
            continue;
        const QString key = list.family.toCaseFolded();
        if (seen.contains(key))
            continue;
        seen.insert(key);
        if (!list.embedded && carried.contains(key))
            fonts.push_back({list.family, FontStatus::Installed, list.family});
        else
            fonts.push_back(resolver.Resolve(list.family, list.generic));
    }
    return fonts;
}

QByteArray WithDrawnFonts(const QByteArray& show, const FontCatalogue& resolver)
{
    QHash<QString, QByteArray> rewritten; // attribute value → new value, per distinct list
    QByteArray result;
    result.reserve(show.size() + 4096);
    const QString text = QString::fromUtf8(show);
    qsizetype copied = 0;
    auto it = FontListAttribute().globalMatch(text);
    // Offsets are in UTF-16 units; the attribute values are ASCII-delimited, so the show is
    // copied by pieces of the text and re-encoded.
    QString out;
    out.reserve(text.size() + 4096);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        const QString value = match.captured(1);
        auto known = rewritten.constFind(value);
        if (known == rewritten.constEnd()) {
            const FontList list = ParseFontList(value);
            QByteArray replacement;
            if (!list.embedded && !list.family.isEmpty()) {
                const FontResolution font = resolver.Resolve(list.family, list.generic);
                if (font.status == FontStatus::MetricTwin)
                    replacement = (list.family + QStringLiteral(", ") + font.drawnAs +
                                   (list.generic.isEmpty() ? QString() : QStringLiteral(", ") + list.generic))
                                      .toUtf8();
            }
            known = rewritten.insert(value, replacement);
        }
        out += QStringView(text).mid(copied, match.capturedStart(1) - copied);
        out += known->isEmpty() ? value : QString::fromUtf8(*known);
        copied = match.capturedEnd(1);
    }
    if (copied == 0)
        return show;
    out += QStringView(text).mid(copied);
    result = out.toUtf8();
    return result;
}
