// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/fonts/font_resolver.h"

#include <QHash>
#include <QMutex>
#include <fontconfig/fontconfig.h>

namespace {

// Families with a free face of the same advance widths on Debian: LibreOffice lays the
// lines out with these when the original is missing (fontconfig's metric aliases), so the
// show must draw the same faces for its lines to fit.
struct Twin {
    const char* family;
    const char* twin;
};
constexpr Twin kTwins[] = {
    {"Calibri", "Carlito"},
    {"Cambria", "Caladea"},
    {"Arial", "Liberation Sans"},
    {"Helvetica", "Liberation Sans"},
    {"Arial Narrow", "Liberation Sans Narrow"},
    {"Helvetica Narrow", "Liberation Sans Narrow"},
    {"Times New Roman", "Liberation Serif"},
    {"Times", "Liberation Serif"},
    {"Courier New", "Liberation Mono"},
    {"Courier", "Liberation Mono"},
    {"Palatino", "P052"},
    {"Palatino Linotype", "P052"},
    {"Book Antiqua", "P052"},
    {"Century Schoolbook", "C059"},
    {"New Century Schoolbook", "C059"},
    {"Bookman", "URW Bookman"},
    {"Bookman Old Style", "URW Bookman"},
    {"ITC Bookman", "URW Bookman"},
    {"Avant Garde", "URW Gothic"},
    {"ITC Avant Garde Gothic", "URW Gothic"},
    {"Century Gothic", "URW Gothic"},
    {"Zapf Chancery", "Z003"},
    {"ITC Zapf Chancery", "Z003"},
    {"Zapf Dingbats", "D050000L"},
    {"ITC Zapf Dingbats", "D050000L"},
    {"Symbol", "Standard Symbols PS"},
    {"StarSymbol", "OpenSymbol"},
};

} // namespace

QString MetricTwinOf(const QString& family)
{
    for (const Twin& t : kTwins)
        if (family.compare(QLatin1String(t.family), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(t.twin);
    return {};
}

struct FontResolver::Impl {
    FcConfig* config = nullptr;
    mutable QMutex mutex;
    mutable QHash<QString, bool> installed;
};

FontResolver::FontResolver()
    : impl_(std::make_unique<Impl>())
{
    // The system's configuration as the browser sees it, read once.
    impl_->config = FcInitLoadConfigAndFonts();
}

FontResolver::~FontResolver()
{
    if (impl_->config)
        FcConfigDestroy(impl_->config);
}

const FontResolver& FontResolver::Shared()
{
    static const FontResolver resolver;
    return resolver;
}

bool FontResolver::IsInstalled(const QString& family) const
{
    QMutexLocker lock(&impl_->mutex);
    const QString key = family.toCaseFolded();
    const auto known = impl_->installed.constFind(key);
    if (known != impl_->installed.constEnd())
        return *known;
    bool found = false;
    if (impl_->config) {
        // A listing by family name has no substitution in it: only the faces themselves.
        FcPattern* pattern = FcPatternCreate();
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.toUtf8().constData()));
        FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
        FcFontSet* set = FcFontList(impl_->config, pattern, objects);
        found = set && set->nfont > 0;
        if (set)
            FcFontSetDestroy(set);
        FcObjectSetDestroy(objects);
        FcPatternDestroy(pattern);
    }
    impl_->installed.insert(key, found);
    return found;
}

QString FontResolver::BestMatch(const QString& family) const
{
    QMutexLocker lock(&impl_->mutex);
    if (!impl_->config)
        return {};
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(family.toUtf8().constData()));
    if (!pattern)
        return {};
    FcConfigSubstitute(impl_->config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(impl_->config, pattern, &result);
    QString name;
    FcChar8* value = nullptr;
    if (match && FcPatternGetString(match, FC_FAMILY, 0, &value) == FcResultMatch)
        name = QString::fromUtf8(reinterpret_cast<const char*>(value));
    if (match)
        FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    return name;
}

FontResolution FontResolver::Resolve(const QString& family, const QString& generic) const
{
    FontResolution resolution;
    resolution.family = family;
    if (IsInstalled(family)) {
        resolution.status = FontStatus::Installed;
        resolution.drawnAs = family;
        return resolution;
    }
    const QString twin = IsRecodedSymbolFont(family) ? QStringLiteral("OpenSymbol") : MetricTwinOf(family);
    if (!twin.isEmpty() && IsInstalled(twin)) {
        resolution.status = FontStatus::MetricTwin;
        resolution.drawnAs = twin;
        return resolution;
    }
    resolution.status = FontStatus::Missing;
    resolution.drawnAs = BestMatch(generic.isEmpty() ? QStringLiteral("sans-serif") : generic);
    return resolution;
}
