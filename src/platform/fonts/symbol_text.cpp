#include "platform/fonts/symbol_text.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>

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

const QString kWingdingsName = QStringLiteral("wingdings");

// The first family of a font list, unquoted and in lower case.
QString FirstFamily(const QString& list)
{
    QString family = list.section(QLatin1Char(','), 0, 0).trimmed();
    if (family.size() >= 2 && (family.front() == QLatin1Char('\'') || family.front() == QLatin1Char('"')))
        family = family.mid(1, family.size() - 2);
    return family.toLower();
}

// Runs in the page: each element whose font list starts with a recoded family has the
// characters it holds itself (not those of a deeper run with a family of its own) replaced.
const char kSymbolScript[] = R"JS(
(function (tables) {
  function first(list) { return (list || '').split(',')[0].trim().replace(/^['"]|['"]$/g, '').toLowerCase(); }
  document.querySelectorAll('[font-family]').forEach(function (element) {
    var table = tables[first(element.getAttribute('font-family'))];
    if (!table) return;
    var walker = document.createTreeWalker(element, NodeFilter.SHOW_TEXT);
    for (var node = walker.nextNode(); node; node = walker.nextNode()) {
      if (node.parentNode.closest('[font-family]') !== element) continue;
      node.data = node.data.replace(/[\u0021-\u00ff\uf021-\uf0ff]/g, function (c) {
        return table[c.charCodeAt(0) & 0xff] || c;
      });
    }
  });
})
)JS";

} // namespace

QByteArray WithSymbolText(const QByteArray& show, const FontResolver& resolver)
{
    static const QRegularExpression fontList(QStringLiteral("font-family=\"([^\"]*)\""));
    const qsizetype end = show.lastIndexOf("</svg>");
    if (end < 0)
        return show;
    bool wanted = false;
    QSet<QString> seen;
    auto it = fontList.globalMatch(QString::fromUtf8(show));
    while (it.hasNext() && !wanted) {
        const QString family = FirstFamily(it.next().captured(1));
        if (seen.contains(family))
            continue;
        seen.insert(family);
        wanted = family == kWingdingsName && !resolver.IsInstalled(QStringLiteral("Wingdings"));
    }
    if (!wanted)
        return show;
    QJsonObject table;
    for (const Symbol& symbol : kWingdings)
        table.insert(QString::number(symbol.code), QString(QChar(symbol.unicode)));
    const QByteArray json = QJsonDocument(QJsonObject{{kWingdingsName, table}}).toJson(QJsonDocument::Compact);
    QByteArray result = show;
    result.insert(end, QByteArray("<script type=\"text/ecmascript\"><![CDATA[") + kSymbolScript + "(" + json + ");]]></script>\n");
    return result;
}
