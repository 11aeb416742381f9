// SPDX-License-Identifier: GPL-3.0-or-later
#include "show/show_passes.h"

#include "platform/page_scripts.h"
#include "show/deck_embedded_fonts.h"
#include "show/deck_kerning.h"
#include "show/deck_text_layout.h"
#include "show/deck_text_shadows.h"
#include "show/effect_repair_script.h"
#include "show/field_placeholders.h"
#include "show/motion_path_script.h"
#include "show/show_clock_script.h"
#include "show/show_code_digest.h"
#include "show/show_fonts.h"
#include "show/show_hairlines.h"
#include "show/symbol_text.h"
#include "show/viewer_pages.h"

#include <QCryptographicHash>

namespace {

const QStringList kNoScript;

// The deck's own faces are worth their bytes only for the families the system lacks.
QByteArray EmbeddedFonts(const QByteArray& show, const ShowPassInput& in)
{
    const auto missing = [&in](const QString& family) { return !in.fonts->IsInstalled(family); };
    return WithDeckEmbeddedFonts(show, in.flatDeck, missing);
}

QByteArray ServedClock(const QByteArray& show, const ShowPassInput& in)
{
    return in.showClock ? WithShowClock(show) : show;
}

} // namespace

const std::vector<ShowPass>& ShowPasses()
{
    // Letters are spaced before the justified lines are measured; the fields are joined before
    // they are placed in their boxes; the viewer's script comes after every repair of the
    // show's own, and the clock before all of the show's scripts.
    static const std::vector<ShowPass> passes = {
        {"kerning", PassTime::Stored, true, kNoScript,
         [](const QByteArray& s, const ShowPassInput& in) { return WithDeckKerning(s, in.flatDeck); }},
        {"embedded fonts", PassTime::Stored, true, kNoScript, EmbeddedFonts},
        {"letter spacing", PassTime::Stored, true, {"planned_paragraphs", "letter_spacing"},
         [](const QByteArray& s, const ShowPassInput& in) { return WithLetterSpacing(s, SpacedParagraphs(in.flatDeck)); }},
        {"justified lines", PassTime::Stored, true, {"planned_paragraphs", "justified_lines"},
         [](const QByteArray& s, const ShowPassInput& in) { return WithJustifiedLines(s, JustifiedParagraphs(in.flatDeck)); }},
        {"symbol text areas", PassTime::Stored, true, {"planned_paragraphs", "symbol_text_areas"},
         [](const QByteArray& s, const ShowPassInput& in) { return WithSymbolTextAreas(s, SymbolParagraphs(in.flatDeck)); }},
        {"text shadows", PassTime::Stored, true, {"planned_paragraphs", "text_shadows"},
         [](const QByteArray& s, const ShowPassInput& in) { return WithTextShadows(s, ShadowedParagraphs(in.flatDeck)); }},
        {"field placeholders", PassTime::Stored, false, {"field_placeholders"},
         [](const QByteArray& s, const ShowPassInput&) { return WithFieldPlaceholdersAsDrawn(s); }},
        {"fields where placed", PassTime::Stored, false, {"fields_where_placed"},
         [](const QByteArray& s, const ShowPassInput&) { return WithFieldsWherePlaced(s); }},
        {"hairlines", PassTime::Stored, false, kNoScript,
         [](const QByteArray& s, const ShowPassInput&) { return WithHairlinesAsDrawn(s); }},
        {"drawn fonts", PassTime::Served, false, kNoScript,
         [](const QByteArray& s, const ShowPassInput& in) { return WithDrawnFonts(s, *in.fonts); }},
        {"symbol text", PassTime::Served, false, {"symbol_text"},
         [](const QByteArray& s, const ShowPassInput& in) { return WithSymbolText(s, *in.fonts); }},
        {"motion paths", PassTime::Served, false, {"motion_paths"},
         [](const QByteArray& s, const ShowPassInput&) { return WithMotionPaths(s); }},
        {"effect repairs", PassTime::Served, false, {"effect_repairs"},
         [](const QByteArray& s, const ShowPassInput&) { return WithEffectRepairs(s); }},
        {"viewer", PassTime::Served, false, {"viewer"},
         [](const QByteArray& s, const ShowPassInput&) { return WithViewerScript(s); }},
        {"show clock", PassTime::Served, false, {"show_clock"}, ServedClock},
    };
    return passes;
}

QByteArray ApplyShowPasses(PassTime when, QByteArray show, const ShowPassInput& input)
{
    for (const ShowPass& pass : ShowPasses())
        if (pass.when == when && (!pass.readsDeck || !input.flatDeck.isEmpty()))
            show = pass.apply(show, input);
    return show;
}

QString StoredShowTag(const std::vector<ShowPass>& passes, QByteArray (*scriptText)(const QString& name),
                      const QByteArray& codeDigest)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(codeDigest);
    for (const ShowPass& pass : passes) {
        if (pass.when != PassTime::Stored)
            continue;
        hash.addData(QByteArray("\npass ") + pass.name);
        for (const QString& script : pass.scripts) {
            const QByteArray text = scriptText(script);
            hash.addData("\nscript " + script.toUtf8() + " " + QByteArray::number(text.size()) + "\n");
            hash.addData(text);
        }
    }
    return QStringLiteral("show-") + QString::fromLatin1(hash.result().toHex().left(16));
}

const char* StoredShowCodeDigest()
{
    return kShowCodeDigest;
}

QString StoredShowTag()
{
    static const QString tag = StoredShowTag(ShowPasses(), PageScript, QByteArray(kShowCodeDigest));
    return tag;
}
