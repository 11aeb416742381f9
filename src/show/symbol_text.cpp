// SPDX-License-Identifier: GPL-3.0-or-later
#include "show/symbol_text.h"
#include "show/show_document.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <iterator>

namespace {

// Wingdings' codes (0x21-0xFF, or the same in the private area at 0xF021-0xF0FF, as Office
// writes them) and the Unicode symbol each one shows, one that OpenSymbol or DejaVu Sans draws
// (the medium diamonds, which neither has, as the suit's diamond); a code not listed is left
// as it is.
struct Symbol {
    int code;
    char16_t unicode;
};
constexpr Symbol kWingdings[] = {
    {0x22, u'\u2702'}, {0x23, u'\u2701'}, {0x28, u'\u260E'}, {0x2A, u'\u2709'}, {0x41, u'\u270C'},
    {0x45, u'\u261C'}, {0x46, u'\u261E'}, {0x47, u'\u261D'}, {0x48, u'\u261F'}, {0x4A, u'\u263A'},
    {0x4C, u'\u2639'}, {0x4E, u'\u2620'}, {0x51, u'\u2708'}, {0x52, u'\u263C'}, {0x54, u'\u2744'},
    {0x56, u'\u271E'}, {0x58, u'\u2720'}, {0x59, u'\u2721'}, {0x5A, u'\u262A'}, {0x5B, u'\u262F'},
    {0x5C, u'\u0950'}, {0x5D, u'\u2638'}, {0x5E, u'\u2648'}, {0x5F, u'\u2649'}, {0x60, u'\u264A'},
    {0x61, u'\u264B'}, {0x62, u'\u264C'}, {0x63, u'\u264D'}, {0x64, u'\u264E'}, {0x65, u'\u264F'},
    {0x66, u'\u2650'}, {0x67, u'\u2651'}, {0x68, u'\u2652'}, {0x69, u'\u2653'}, {0x6C, u'\u25CF'},
    {0x6D, u'\u274D'}, {0x6E, u'\u25A0'}, {0x6F, u'\u25A1'}, {0x71, u'\u2751'}, {0x72, u'\u2752'},
    {0x73, u'\u2666'}, {0x74, u'\u29EB'}, {0x75, u'\u25C6'}, {0x76, u'\u2756'}, {0x77, u'\u2666'},
    {0x78, u'\u2327'}, {0x7A, u'\u2318'}, {0x7B, u'\u2740'}, {0x7C, u'\u273F'}, {0x7D, u'\u275D'},
    {0x7E, u'\u275E'}, {0x80, u'\u24EA'}, {0x81, u'\u2460'}, {0x82, u'\u2461'}, {0x83, u'\u2462'},
    {0x84, u'\u2463'}, {0x85, u'\u2464'}, {0x86, u'\u2465'}, {0x87, u'\u2466'}, {0x88, u'\u2467'},
    {0x89, u'\u2468'}, {0x8A, u'\u2469'}, {0x8B, u'\u24FF'}, {0x8C, u'\u2776'}, {0x8D, u'\u2777'},
    {0x8E, u'\u2778'}, {0x8F, u'\u2779'}, {0x90, u'\u277A'}, {0x91, u'\u277B'}, {0x92, u'\u277C'},
    {0x93, u'\u277D'}, {0x94, u'\u277E'}, {0x95, u'\u277F'}, {0x9E, u'\u00B7'}, {0x9F, u'\u2022'},
    {0xA0, u'\u25AA'}, {0xA1, u'\u25CB'}, {0xA4, u'\u25C9'}, {0xA5, u'\u25CE'}, {0xA7, u'\u25AA'},
    {0xA8, u'\u25FB'}, {0xAA, u'\u2726'}, {0xAB, u'\u2605'}, {0xAC, u'\u2736'}, {0xAD, u'\u2734'},
    {0xAE, u'\u2739'}, {0xAF, u'\u2735'}, {0xD5, u'\u232B'}, {0xD6, u'\u2326'}, {0xD8, u'\u27A2'},
    {0xE8, u'\u2794'}, {0xEF, u'\u21E6'}, {0xF0, u'\u21E8'}, {0xF1, u'\u21E7'}, {0xF2, u'\u21E9'},
    {0xF3, u'\u2B04'}, {0xF4, u'\u21F3'}, {0xFB, u'\u2718'}, {0xFC, u'\u2713'}, {0xFD, u'\u2612'},
    {0xFE, u'\u2611'},
};

// The Symbol font's codes (Adobe's encoding) for Greek letters and mathematical signs; its
// digits and punctuation are ASCII's own.
constexpr Symbol kSymbol[] = {
    {0x22, u'\u2200'}, {0x24, u'\u2203'}, {0x27, u'\u220B'}, {0x2A, u'\u2217'}, {0x2D, u'\u2212'},
    {0x40, u'\u2245'}, {0x41, u'\u0391'}, {0x42, u'\u0392'}, {0x43, u'\u03A7'}, {0x44, u'\u0394'},
    {0x45, u'\u0395'}, {0x46, u'\u03A6'}, {0x47, u'\u0393'}, {0x48, u'\u0397'}, {0x49, u'\u0399'},
    {0x4A, u'\u03D1'}, {0x4B, u'\u039A'}, {0x4C, u'\u039B'}, {0x4D, u'\u039C'}, {0x4E, u'\u039D'},
    {0x4F, u'\u039F'}, {0x50, u'\u03A0'}, {0x51, u'\u0398'}, {0x52, u'\u03A1'}, {0x53, u'\u03A3'},
    {0x54, u'\u03A4'}, {0x55, u'\u03A5'}, {0x56, u'\u03C2'}, {0x57, u'\u03A9'}, {0x58, u'\u039E'},
    {0x59, u'\u03A8'}, {0x5A, u'\u0396'}, {0x5C, u'\u2234'}, {0x5E, u'\u22A5'}, {0x61, u'\u03B1'},
    {0x62, u'\u03B2'}, {0x63, u'\u03C7'}, {0x64, u'\u03B4'}, {0x65, u'\u03B5'}, {0x66, u'\u03C6'},
    {0x67, u'\u03B3'}, {0x68, u'\u03B7'}, {0x69, u'\u03B9'}, {0x6A, u'\u03D5'}, {0x6B, u'\u03BA'},
    {0x6C, u'\u03BB'}, {0x6D, u'\u03BC'}, {0x6E, u'\u03BD'}, {0x6F, u'\u03BF'}, {0x70, u'\u03C0'},
    {0x71, u'\u03B8'}, {0x72, u'\u03C1'}, {0x73, u'\u03C3'}, {0x74, u'\u03C4'}, {0x75, u'\u03C5'},
    {0x76, u'\u03D6'}, {0x77, u'\u03C9'}, {0x78, u'\u03BE'}, {0x79, u'\u03C8'}, {0x7A, u'\u03B6'},
    {0x7E, u'\u223C'}, {0xA1, u'\u03D2'}, {0xA2, u'\u2032'}, {0xA3, u'\u2264'}, {0xA4, u'\u2044'},
    {0xA5, u'\u221E'}, {0xA6, u'\u0192'}, {0xA7, u'\u2663'}, {0xA8, u'\u2666'}, {0xA9, u'\u2665'},
    {0xAA, u'\u2660'}, {0xAB, u'\u2194'}, {0xAC, u'\u2190'}, {0xAD, u'\u2191'}, {0xAE, u'\u2192'},
    {0xAF, u'\u2193'}, {0xB0, u'\u00B0'}, {0xB1, u'\u00B1'}, {0xB2, u'\u2033'}, {0xB3, u'\u2265'},
    {0xB4, u'\u00D7'}, {0xB5, u'\u221D'}, {0xB6, u'\u2202'}, {0xB7, u'\u2022'}, {0xB8, u'\u00F7'},
    {0xB9, u'\u2260'}, {0xBA, u'\u2261'}, {0xBB, u'\u2248'}, {0xBC, u'\u2026'}, {0xBF, u'\u21B5'},
    {0xC0, u'\u2135'}, {0xC1, u'\u2111'}, {0xC2, u'\u211C'}, {0xC3, u'\u2118'}, {0xC4, u'\u2297'},
    {0xC5, u'\u2295'}, {0xC6, u'\u2205'}, {0xC7, u'\u2229'}, {0xC8, u'\u222A'}, {0xC9, u'\u2283'},
    {0xCA, u'\u2287'}, {0xCB, u'\u2284'}, {0xCC, u'\u2282'}, {0xCD, u'\u2286'}, {0xCE, u'\u2208'},
    {0xCF, u'\u2209'}, {0xD0, u'\u2220'}, {0xD1, u'\u2207'}, {0xD2, u'\u00AE'}, {0xD3, u'\u00A9'},
    {0xD4, u'\u2122'}, {0xD5, u'\u220F'}, {0xD6, u'\u221A'}, {0xD7, u'\u22C5'}, {0xD8, u'\u00AC'},
    {0xD9, u'\u2227'}, {0xDA, u'\u2228'}, {0xDB, u'\u21D4'}, {0xDC, u'\u21D0'}, {0xDD, u'\u21D1'},
    {0xDE, u'\u21D2'}, {0xDF, u'\u21D3'}, {0xE0, u'\u25CA'}, {0xE1, u'\u2329'}, {0xE2, u'\u00AE'},
    {0xE3, u'\u00A9'}, {0xE4, u'\u2122'}, {0xE5, u'\u2211'}, {0xF1, u'\u232A'}, {0xF2, u'\u222B'},
};

// The symbol fonts recoded here: the name a show's font list starts with (in lower case), the
// family looked up on the system, and the table.
struct RecodedFont {
    const char* name;
    const char* family;
    const Symbol* first;
    const Symbol* last;
};
const RecodedFont kRecodedFonts[] = {
    {"wingdings", "Wingdings", std::begin(kWingdings), std::end(kWingdings)},
    {"symbol", "Symbol", std::begin(kSymbol), std::end(kSymbol)},
};

// The first family of a font list, unquoted and in lower case.
QString FirstFamily(const QString& list)
{
    QString family = list.section(QLatin1Char(','), 0, 0).trimmed();
    if (family.size() >= 2 && (family.front() == QLatin1Char('\'') || family.front() == QLatin1Char('"')))
        family = family.mid(1, family.size() - 2);
    return family.toLower();
}


} // namespace

QByteArray WithSymbolText(const QByteArray& show, const FontCatalogue& resolver)
{
    static const QRegularExpression fontList(QStringLiteral("font-family=\"([^\"]*)\""));
    QSet<QString> families;
    auto it = fontList.globalMatch(QString::fromUtf8(show));
    while (it.hasNext())
        families.insert(FirstFamily(it.next().captured(1)));
    QJsonObject tables;
    for (const RecodedFont& font : kRecodedFonts) {
        const QString name = QLatin1String(font.name);
        if (!families.contains(name) || resolver.IsInstalled(QLatin1String(font.family)))
            continue;
        QJsonObject table;
        for (const Symbol* symbol = font.first; symbol != font.last; ++symbol)
            table.insert(QString::number(symbol->code), QString(QChar(symbol->unicode)));
        tables.insert(name, table);
    }
    if (tables.isEmpty())
        return show;
    return WithPageScript(show, QStringLiteral("symbol_text"), tables);
}
