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
