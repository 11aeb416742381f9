// SPDX-License-Identifier: GPL-3.0-or-later
// The recorder's picture rules: sample grid (trim, blank, end of show), cursor drawing and the
// caption of a navigation.
#include "record/cursor_overlay.h"
#include "record/page_title.h"
#include "record/sample_grid.h"

#include <gtest/gtest.h>

namespace {

Picture Lit(int w, int h)
{
    Picture p(w, h);
    std::fill(p.bits(), p.bits() + p.byteCount(), 0xff);
    return p;
}

void BlackRows(Picture& p, int from, int to)
{
    for (int y = from; y < to && y < p.height(); ++y)
        std::fill_n(p.scanLine(y), 3 * p.width(), 0);
}

uint32_t Pixel(const Picture& p, int x, int y)
{
    const uint8_t* px = p.scanLine(y) + 3 * x;
    return px[2] << 16 | px[1] << 8 | px[0];
}

} // namespace

TEST(SampleGrid, CaptureRectangleOfThePanel)
{
    const ScreenRect r = CaptureRectangle(100, 50, 617, 481);
    EXPECT_EQ(r, (ScreenRect{102, 56, 697, 522}));
    EXPECT_EQ(r.width(), 595);
    EXPECT_EQ(r.height(), 466);
}

TEST(SampleGrid, TrimUsesTheFirstLitRowPairAndOnlyTheSampleColumns)
{
    const ScreenRect rect{0, 0, 595, 466};
    Picture p = Lit(595, 466);
    EXPECT_EQ(TrimBlackBorder(p, rect), (ScreenRect{0, 2, 595, 465})); // white edges: k = 1

    // Black bars of 20 rows on top and 30 at the bottom: the bottom reaches light first.
    BlackRows(p, 0, 20);
    BlackRows(p, 436, 466);
    EXPECT_EQ(TrimBlackBorder(p, rect), (ScreenRect{0, 21, 595, 446}));

    // Light only between the sample columns, or right of column 480, does not count.
    Picture between(595, 466);
    for (int y = 0; y < 466; ++y) {
        between.scanLine(y)[3 * 61] = 9;
        between.scanLine(y)[3 * 481] = 9;
        between.scanLine(y)[3 * 59] = 9;
    }
    EXPECT_EQ(TrimBlackBorder(between, rect), rect);
    between.scanLine(100)[3 * 480 + 2] = 1;
    EXPECT_EQ(TrimBlackBorder(between, rect), (ScreenRect{0, 101, 595, 366}));

    // A picture too narrow for the grid is black at the missing points.
    EXPECT_EQ(TrimBlackBorder(Lit(50, 466), rect), rect);
}

TEST(SampleGrid, BlankTestLooksAtEverySecondRowFrom152To350)
{
    Picture p(595, 466);
    EXPECT_TRUE(IsBlankPicture(p));
    p.scanLine(151)[3 * 60] = 1; // odd rows are not looked at
    p.scanLine(352)[3 * 60] = 1; // nor rows past 350
    EXPECT_TRUE(IsBlankPicture(p));
    p.scanLine(350)[3 * 480] = 1;
    EXPECT_FALSE(IsBlankPicture(p));
    EXPECT_TRUE(IsBlankPicture(Lit(595, 152))); // rows outside the picture are black
    EXPECT_FALSE(IsBlankPicture(Lit(595, 153)));
}

TEST(SampleGrid, EndOfShowLooksAtEveryRowFrom151To350)
{
    Picture p(595, 466);
    EXPECT_TRUE(IsEndOfShow(p));
    p.scanLine(150)[3 * 66] = 1;
    p.scanLine(351)[3 * 66] = 1;
    EXPECT_TRUE(IsEndOfShow(p));
    p.scanLine(151)[3 * 66 + 1] = 1;
    EXPECT_FALSE(IsEndOfShow(p));
    EXPECT_TRUE(IsEndOfShow(Picture()));
}

// At other capture sizes the sample points sit on the same places of the slide: the rows and
// columns of the classic layout scaled by capture size / 595 x 466.
TEST(SampleGrid, TheClassicCaptureKeepsItsExactPositions)
{
    const SampleScale classic = SampleScale::ForCapture({100, 50, 695, 516});
    for (int v = 0; v <= 600; ++v) {
        EXPECT_EQ(classic.X(v), v);
        EXPECT_EQ(classic.Y(v), v);
    }
    // An empty capture (a window not yet laid out) keeps the layout too.
    EXPECT_EQ(SampleScale::ForCapture({0, 0, 0, 0}).X(480), 480);
}

TEST(SampleGrid, AtHdTheBlankTestLooksAtTheScaledRowsAndColumns)
{
    const ScreenRect hd{0, 0, 1280, 720};
    const SampleScale scale = SampleScale::ForCapture(hd);
    // Lit only below row 350 and right of column 480: what the classic grid never sees, the
    // middle of a 1280 x 720 slide.
    Picture p(1280, 720);
    for (int y = 400; y < 540; ++y)
        for (int x = 600; x < 1000; ++x)
            p.scanLine(y)[3 * x] = 0x40;
    EXPECT_FALSE(IsBlankPicture(p, scale));
    EXPECT_FALSE(IsEndOfShow(p, scale));
    // Lit only where the classic rows were (152..230): above the scaled band, so blank.
    Picture top(1280, 720);
    for (int y = 152; y < 230; ++y)
        std::fill_n(top.scanLine(y), 3 * 1280, 0x40);
    EXPECT_TRUE(IsBlankPicture(top, scale));
    EXPECT_TRUE(IsEndOfShow(top, scale));
    // The last scaled row of the blank test is the one row 350 becomes.
    Picture last(1280, 720);
    std::fill_n(last.scanLine(scale.Y(350)), 3 * 1280, 0x40);
    EXPECT_FALSE(IsBlankPicture(last, scale));
    Picture past(1280, 720);
    std::fill_n(past.scanLine(scale.Y(350) + 2), 3 * 1280, 0x40);
    EXPECT_TRUE(IsBlankPicture(past, scale));
}

TEST(SampleGrid, AtHdTheTrimRemovesALetterboxAtTheScaledRows)
{
    const ScreenRect hd{10, 20, 1930, 1100};
    const SampleScale scale = SampleScale::ForCapture(hd);
    // Black bars of 120 rows at the top and bottom of a 1920 x 1080 capture: out of reach of
    // the classic rows (k <= 100), within that of the scaled ones.
    Picture p = Lit(1920, 1080);
    BlackRows(p, 0, 120);
    BlackRows(p, 960, 1080);
    const ScreenRect trimmed = TrimBlackBorder(p, hd, scale);
    // Trimmed to the picture, give or take the step between scaled rows.
    EXPECT_GE(trimmed.top, hd.top + 120);
    EXPECT_LE(trimmed.top, hd.top + 124);
    EXPECT_LE(trimmed.bottom, hd.top + 960 + 1);
    EXPECT_GE(trimmed.bottom, hd.top + 960 - 3);
    EXPECT_EQ(trimmed.left, hd.left);
    EXPECT_EQ(trimmed.right, hd.right);
    // Light right of the last classic column counts at HD.
    Picture right(1920, 1080);
    for (int y = 0; y < 1080; ++y)
        right.scanLine(y)[3 * scale.X(480)] = 1;
    EXPECT_EQ(TrimBlackBorder(right, hd, scale).top, hd.top + scale.Y(1) + 1);
}

TEST(CursorOverlay, BlendsPremultipliedArgbOverThePicture)
{
    Picture p(4, 1);
    for (int x = 0; x < 4; ++x)
        p.scanLine(0)[3 * x + 1] = 200; // green background
    CursorImage c;
    c.width = 4;
    c.height = 1;
    // opaque red, transparent, half-transparent black, half-transparent white (premultiplied)
    c.pixels = {0xffff0000u, 0x00000000u, 0x80000000u, 0x80808080u};
    DrawCursorOverlay(p, 0, 0, c);
    EXPECT_EQ(Pixel(p, 0, 0), 0xff0000u);
    EXPECT_EQ(Pixel(p, 1, 0), 0x00c800u);
    EXPECT_EQ(Pixel(p, 2, 0), 0x006400u);       // 200 * 127 / 255
    EXPECT_EQ(Pixel(p, 3, 0), 0x80e480u);       // 128 + 100 for green
}

TEST(CursorOverlay, IsClippedAtEveryEdgeAroundTheHotSpot)
{
    CursorImage c;
    c.width = 8;
    c.height = 8;
    c.xhot = 2;
    c.yhot = 3;
    c.pixels.assign(64, 0xffffffffu);
    c.pixels[7 * 8 + 7] = 0xff0000ffu; // lower-right corner blue

    // Hot spot at the corner, drawn at (-5, -5): only the lower-right 3 x 3 shows.
    CursorImage corner = c;
    corner.xhot = 0;
    corner.yhot = 0;
    Picture p(10, 10);
    DrawCursorOverlay(p, -5, -5, corner);
    EXPECT_EQ(Pixel(p, 2, 2), 0x0000ffu);
    EXPECT_EQ(Pixel(p, 0, 0), 0xffffffu);
    EXPECT_EQ(Pixel(p, 3, 0), 0u);
    EXPECT_EQ(Pixel(p, 0, 3), 0u);

    // The hot spot moves the shape: pointer at (-3, -2) puts its top-left at (-5, -5) too.
    Picture q(10, 10);
    DrawCursorOverlay(q, -3, -2, c);
    EXPECT_EQ(Pixel(q, 2, 2), 0x0000ffu);
    EXPECT_EQ(Pixel(q, 0, 0), 0xffffffu);
    EXPECT_EQ(Pixel(q, 3, 0), 0u);
    EXPECT_EQ(Pixel(q, 0, 3), 0u);

    Picture r(10, 10);
    DrawCursorOverlay(r, 9 + 2, 9 + 3, c); // top-left at the last pixel
    EXPECT_EQ(Pixel(r, 9, 9), 0xffffffu);
    EXPECT_EQ(Pixel(r, 8, 9), 0u);
    DrawCursorOverlay(r, 1000, -1000, c); // far outside: nothing, no crash
}

TEST(PageTitle, CaptionOfANavigation)
{
    EXPECT_EQ(PageTitleCaption("file:///C:/show/deck.ppt#261,4,Results"), "4,Results");
    EXPECT_EQ(PageTitleCaption("file:///C:/show/deck.ppt#7"), "7");
    EXPECT_EQ(PageTitleCaption("about:blank"), "1,First page about:blank");
    EXPECT_EQ(PageTitleCaption("deckrec-show:/d/deck.ppt#id3,3,A, b #2"), "3,A, b #2");
    EXPECT_EQ(PageTitleCaption("file:///C:/show/main_go.htm"), "1,First page file:///C:/show/main_go.htm");
    const QString long140 = "file:///" + QString(132, 'a');
    const QString caption = PageTitleCaption(long140);
    EXPECT_EQ(caption.size(), 128);
    EXPECT_TRUE(caption.startsWith("1,First page file:///aaa"));
    EXPECT_EQ(PageTitleCaption("x#1,2,Ünïcode"), "2,Ünïcode");
}
