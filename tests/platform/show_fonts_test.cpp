// SPDX-License-Identifier: GPL-3.0-or-later
// The fonts a show asks for, the faces drawn for them on this system (the font packages of
// scripts/packages.txt installed), and the font lists the browser is given.
#include "platform/fonts/font_resolver.h"
#include "show/show_fonts.h"

#include <gtest/gtest.h>

namespace {

const FontResolver& Fonts()
{
    return FontResolver::Shared();
}

TEST(FontResolution, TwinsAreDrawnForMissingOfficeAndPostScriptFamiliesAndOthersFallBack)
{
    struct Case {
        const char* family;
        const char* generic;
        FontStatus status;
        const char* drawnAs; // nullptr: fontconfig's face for the generic family
    };
    const Case cases[] = {
        {"Liberation Sans", "sans-serif", FontStatus::Installed, "Liberation Sans"},
        {"Calibri", "sans-serif", FontStatus::MetricTwin, "Carlito"},
        {"cambria", "serif", FontStatus::MetricTwin, "Caladea"},
        {"Arial Narrow", "sans-serif", FontStatus::MetricTwin, "Liberation Sans Narrow"},
        {"Palatino Linotype", "serif", FontStatus::MetricTwin, "P052"},
        {"Century Schoolbook", "serif", FontStatus::MetricTwin, "C059"},
        {"Wingdings", "", FontStatus::MetricTwin, "OpenSymbol"},
        {"Gill Sans MT", "sans-serif", FontStatus::Missing, nullptr},
        {"Garamond", "serif", FontStatus::Missing, nullptr},
    };
    for (const Case& c : cases) {
        const FontResolution font = Fonts().Resolve(c.family, c.generic);
        EXPECT_EQ(font.status, c.status) << c.family;
        const QString expected = c.drawnAs ? QString(c.drawnAs) : Fonts().BestMatch(c.generic);
        EXPECT_EQ(font.drawnAs, expected) << c.family;
        EXPECT_FALSE(font.drawnAs.isEmpty()) << c.family;
    }
}

const QByteArray kShow = R"(<svg>
<font><font-face font-family="Calibri embedded"/></font>
<font><font-face font-family="Wingdings embedded"/></font>
<text><tspan class="TextParagraph" font-family="Arial Narrow, sans-serif">Größe</tspan></text>
<text><tspan class="TextParagraph" font-family="Calibri, sans-serif">a</tspan></text>
<text><tspan class="TextParagraph" font-family="Gill Sans MT, sans-serif">b</tspan></text>
<text><tspan class="TextParagraph" font-family="Liberation Sans, sans-serif">c</tspan></text>
<text><tspan class="TextParagraph" font-family="Calibri, sans-serif">d</tspan></text>
</svg>)";

TEST(ShowFonts, EachFamilyOnceSymbolFontsOnlyOfTheEmbeddedOnesAndOneLinePerMissingFont)
{
    const std::vector<FontResolution> fonts = ShowFonts(kShow, Fonts());
    QStringList families;
    for (const FontResolution& f : fonts)
        families << f.family;
    EXPECT_EQ(families, QStringList({"Wingdings", "Arial Narrow", "Calibri", "Gill Sans MT", "Liberation Sans"}));
    EXPECT_EQ(MissingFontLines(fonts),
              QStringList({QString("the font \"Gill Sans MT\" is not installed; %1 is drawn instead")
                               .arg(Fonts().BestMatch("sans-serif"))}));
}

TEST(ShowFonts, TheBrowserIsGivenTheTwinAfterTheFamilyAndNothingElseChanges)
{
    const QByteArray drawn = WithDrawnFonts(kShow, Fonts());
    QByteArray expected = kShow;
    expected.replace("\"Arial Narrow, sans-serif\"", "\"Arial Narrow, Liberation Sans Narrow, sans-serif\"");
    expected.replace("\"Calibri, sans-serif\"", "\"Calibri, Carlito, sans-serif\"");
    EXPECT_EQ(drawn, expected);
    // A show without font lists comes back as it was.
    EXPECT_EQ(WithDrawnFonts("<svg/>", Fonts()), QByteArray("<svg/>"));
}

} // namespace
