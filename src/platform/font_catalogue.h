// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Which face the slide show's browser draws for each font a deck names. The browser takes a
// family only when the system has it under that very name (or one of a few twins it knows
// itself); any other name falls through to the generic family after it, usually a much wider
// face. The show therefore names the metric-compatible twin of a family explicitly, and the
// user is told about the families that have neither the face nor a twin on this system.

#include <QString>
#include <QStringList>
#include <vector>

enum class FontStatus {
    Installed,  // the family itself is on the system
    MetricTwin, // a face with the same widths is drawn instead (Carlito for Calibri)
    Missing,    // neither: another face with other widths is drawn
};

struct FontResolution {
    QString family;  // as the deck names it
    FontStatus status = FontStatus::Missing;
    QString drawnAs; // the family drawn: the family itself, its twin, or the fallback
};

class FontCatalogue {
public:
    virtual ~FontCatalogue() = default;
    // generic: the CSS family that follows the name in the show ("sans-serif", "serif").
    virtual FontResolution Resolve(const QString& family, const QString& generic = QStringLiteral("sans-serif")) const = 0;
    // True when a face of that family name is on the system.
    virtual bool IsInstalled(const QString& family) const = 0;
    // The family the system gives for a name or generic family ("sans-serif" → "DejaVu Sans").
    virtual QString BestMatch(const QString& family) const = 0;
};

// A symbol font whose characters LibreOffice maps onto OpenSymbol when it has not got it.
bool IsRecodedSymbolFont(const QString& family);

// One line per font the browser cannot draw as the deck asks, e.g.
// "the font \"Gill Sans MT\" is not installed; DejaVu Sans is drawn instead". Twins and
// installed families give no line.
QStringList MissingFontLines(const std::vector<FontResolution>& fonts);
