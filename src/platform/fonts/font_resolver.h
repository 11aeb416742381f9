// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The system's fonts as fontconfig knows them.

#include "platform/font_catalogue.h"

#include <memory>

// The metric-compatible twin Deckrec puts in place of a family, whether or not it is
// installed; empty when it knows none.
QString MetricTwinOf(const QString& family);

class FontResolver : public FontCatalogue {
public:
    FontResolver();
    ~FontResolver();
    FontResolver(const FontResolver&) = delete;
    FontResolver& operator=(const FontResolver&) = delete;

    FontResolution Resolve(const QString& family, const QString& generic = QStringLiteral("sans-serif")) const override;
    bool IsInstalled(const QString& family) const override;
    QString BestMatch(const QString& family) const override;

    // The process-wide resolver, made on first use.
    static const FontResolver& Shared();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
