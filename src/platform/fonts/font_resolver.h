// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Which face the slide show's browser draws for each font a deck names. The browser takes a
// family only when fontconfig has it under that very name (or one of a few twins it knows
// itself); any other name falls through to the generic family after it, usually a much wider
// face. Deckrec therefore names the metric-compatible twin of a family explicitly, and tells
// the user about the families that have neither the face nor a twin on this system.

#include <QString>
#include <QStringList>
#include <memory>
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

// The metric-compatible twin Deckrec puts in place of a family, whether or not it is
// installed; empty when it knows none.
QString MetricTwinOf(const QString& family);

// A symbol font whose characters LibreOffice maps onto OpenSymbol when it has not got it.
bool IsRecodedSymbolFont(const QString& family);

class FontResolver {
public:
    FontResolver();
    ~FontResolver();
    FontResolver(const FontResolver&) = delete;
    FontResolver& operator=(const FontResolver&) = delete;

    // generic: the CSS family that follows the name in the show ("sans-serif", "serif").
    FontResolution Resolve(const QString& family, const QString& generic = QStringLiteral("sans-serif")) const;

    // True when a face of that family name is on the system.
    bool IsInstalled(const QString& family) const;

    // The family fontconfig gives for a name or generic family ("sans-serif" → "DejaVu Sans").
    QString BestMatch(const QString& family) const;

    // The process-wide resolver, made on first use.
    static const FontResolver& Shared();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// One line per font the browser cannot draw as the deck asks, e.g.
// "the font \"Gill Sans MT\" is not installed; DejaVu Sans is drawn instead". Twins and
// installed families give no line.
QStringList MissingFontLines(const std::vector<FontResolution>& fonts);
