// SPDX-License-Identifier: GPL-3.0-or-later
// The GIF model and writer: header and descriptor bytes, versions, colour tables,
// extensions, the logical screen, cropping, copying, and giflib reading what is written.
#include "gif/gif_animation_builder.h"
#include "gif/gif_exception.h"
#include "gif/gif_image.h"
#include "gif_oracle.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

uint32_t TableColor(int i)
{
    return static_cast<uint32_t>((i << 16) | ((255 - i) << 8) | (i / 2));
}

Picture Indexed(int width, int height, int colors, uint8_t fill = 0)
{
    Picture p(width, height, TPixelFormat::pf8bit);
    for (int y = 0; y < height; ++y)
        std::fill(p.scanLine(y), p.scanLine(y) + width, fill);
    for (int i = 0; i < colors; ++i)
        p.palette().push_back(TableColor(i));
    return p;
}

std::vector<uint8_t> Bytes(TGIFImage& image)
{
    GifMemoryStream out;
    image.SaveToStream(out);
    return out.bytes;
}

std::vector<uint8_t> Slice(const std::vector<uint8_t>& v, size_t at, size_t n)
{
    return {v.begin() + static_cast<long>(at), v.begin() + static_cast<long>(at + n)};
}

std::string Message(const std::function<void()>& f)
{
    try {
        f();
    } catch (const GIFException& e) {
        return e.what();
    }
    return "(nothing raised)";
}

struct Warnings {
    std::vector<std::string> texts;
    void Attach(TGIFImage& image)
    {
        image.OnWarning = [this](TGIFItem*, TGIFSeverity, const std::string& m) { texts.push_back(m); };
    }
};

} // namespace

TEST(GifWriter, VersionFollowsTheFramesAndAnEmptyImageCannotBeWritten)
{
    TGIFImage image;
    EXPECT_EQ(Message([&] { Bytes(image); }), "Unsupported GIF version");

    image.Add(Indexed(2, 2, 4));
    std::vector<uint8_t> bytes = Bytes(image);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), "GIF87a");
    EXPECT_EQ(bytes.back(), 0x3B);

    image.Images[0].Extensions.Add(std::make_unique<TGIFGraphicControlExtension>(&image.Images[0]));
    bytes = Bytes(image);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), "GIF89a");
    ASSERT_TRUE(DecodeGif(bytes).ok);
}

TEST(GifWriter, ColourTablesArePaddedToAPowerOfTwo)
{
    struct Case {
        int colors;
        size_t written;
        uint8_t descriptorFlags;
    };
    for (const Case c : {Case{3, 4, 0x81}, Case{1, 2, 0x80}, Case{256, 256, 0x87}, Case{17, 32, 0x84}}) {
        TGIFImage image;
        image.Add(Indexed(3, 1, c.colors));
        const std::vector<uint8_t> bytes = Bytes(image);
        // 6 header + 7 screen + 10 descriptor bytes, then the table.
        EXPECT_EQ(bytes[13], 0x2C);
        EXPECT_EQ(bytes[22], c.descriptorFlags) << c.colors;
        const auto table = Slice(bytes, 23, 3 * c.written);
        for (size_t i = 0; i < c.written; ++i) {
            const uint32_t expected = i < static_cast<size_t>(c.colors) ? TableColor(static_cast<int>(i)) : 0;
            EXPECT_EQ((table[3 * i] << 16) | (table[3 * i + 1] << 8) | table[3 * i + 2], expected) << c.colors << " " << i;
        }
        EXPECT_EQ(bytes[23 + 3 * c.written], std::max(2, ColorTableBits(c.colors))) << "minimum code size";
        const DecodedGif gif = DecodeGif(bytes);
        ASSERT_TRUE(gif.ok) << gif.error;
        EXPECT_EQ(gif.frames[0].colors.size(), c.written);
    }
    EXPECT_EQ(ColorTableBits(0), 0);
    EXPECT_EQ(ColorTableBits(2), 1);
}

TEST(GifWriter, ScreenDescriptorFlagsFor256EntryLocalTablesAre0x77)
{
    TGIFImage image;
    image.Add(Indexed(5, 4, 256));
    const std::vector<uint8_t> bytes = Bytes(image);
    EXPECT_EQ(Slice(bytes, 6, 7), (std::vector<uint8_t>{5, 0, 4, 0, 0x77, 0, 0}));
}

TEST(GifWriter, SharedTableKeepsItsOwnSizeBesideWiderLocalOnesAndItsFramesPack)
{
    TGIFImage image;
    for (int i = 0; i < 3; ++i)
        image.Header.ColorMap.Add(TGIFColor{static_cast<uint8_t>(i * 100), 7, 9});
    auto shared = std::make_unique<TGIFSubImage>(&image);
    shared->SetWidth(3);
    shared->SetHeight(1);
    for (int x = 0; x < 3; ++x)
        shared->ScanLine(0)[x] = static_cast<uint8_t>(2 - x);
    image.Add(std::move(shared));
    image.Add(Indexed(3, 1, 256, 200));
    const std::vector<uint8_t> plain = Bytes(image);
    // Two bits of size, so four entries follow, not the 256 of the local table.
    EXPECT_EQ(plain[10], 0x91);
    DecodedGif gif = DecodeGif(plain);
    ASSERT_TRUE(gif.ok) << gif.error;
    EXPECT_EQ(gif.frames[0].screen, (std::vector<uint32_t>{0xC80709, 0x640709, 0x000709}));

    // Packed, the shared table's frame writes the same bytes, and still the right pixels
    // after the table grows.
    image.Images[0].Pack();
    ASSERT_TRUE(image.Images[0].Packed());
    EXPECT_EQ(Bytes(image), plain);
    for (int i = 3; i < 40; ++i)
        image.Header.ColorMap.Add(TGIFColor{1, 2, static_cast<uint8_t>(i)});
    gif = DecodeGif(Bytes(image));
    ASSERT_TRUE(gif.ok) << gif.error;
    EXPECT_EQ(gif.frames[0].indices, (std::vector<uint8_t>{2, 1, 0}));
}

TEST(GifWriter, LoopExtensionBytes)
{
    TGIFSubImage frame(nullptr);
    TGIFAppExtNSLoop loop(&frame);
    GifMemoryStream out;
    loop.SaveToStream(out);
    const std::vector<uint8_t> expected = {0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 0x03, 0x01, 0x00, 0x00, 0x00};
    EXPECT_EQ(out.bytes, expected);

    loop.SetLoops(3);
    loop.SetBufferSize(0x01020304);
    GifMemoryStream withBuffer;
    loop.SaveToStream(withBuffer);
    EXPECT_EQ(Slice(withBuffer.bytes, 14, 11), (std::vector<uint8_t>{0x03, 0x01, 0x03, 0x00, 0x05, 0x02, 0x04, 0x03, 0x02, 0x01, 0x00}));
}

TEST(GifWriter, FirstFrameCarriesLoopThenControlExtensionAheadOfItsDescriptor)
{
    TGIFImage animation;
    Picture frame = Indexed(4, 3, 256, 9);
    frame.scanLine(1)[2] = 4;
    TGIFGraphicControlExtension* control = nullptr;
    EXPECT_EQ(AddGifFrame(animation, frame, 9, &control), 0);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->Delay(), 15);

    const std::vector<uint8_t> bytes = Bytes(animation);
    std::vector<uint8_t> expected = {0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 0x03, 0x01, 0x00, 0x00, 0x00,
                                     0x21, 0xF9, 0x04, 0x01, 0x0F, 0x00, 9, 0x00,
                                     // cropped to the one pixel that is not 9: (2, 1), 1 x 1
                                     0x2C, 2, 0, 1, 0, 1, 0, 1, 0, 0x87};
    EXPECT_EQ(Slice(bytes, 13, expected.size()), expected);
    EXPECT_EQ(Slice(bytes, 6, 4), (std::vector<uint8_t>{4, 0, 3, 0})); // the screen keeps the full size

    // A second frame carries only its control extension.
    EXPECT_EQ(AddGifFrame(animation, frame, -1), 1);
    ASSERT_EQ(animation.Images[1].Extensions.Count(), 1);
    EXPECT_NE(dynamic_cast<TGIFGraphicControlExtension*>(&animation.Images[1].Extensions[0]), nullptr);

    const DecodedGif gif = DecodeGif(Bytes(animation));
    ASSERT_TRUE(gif.ok) << gif.error;
    EXPECT_EQ(gif.loopCount, 0);
    ASSERT_EQ(gif.frames.size(), 2u);
    EXPECT_EQ(gif.frames[0].transparent, 9);
    EXPECT_EQ(gif.frames[0].delay, 15);
    EXPECT_EQ(gif.frames[1].transparent, -1);
}

TEST(GifWriter, LogicalScreenGrowsWithWarningsAndCannotShrinkBelowAFrame)
{
    TGIFImage image;
    Warnings warnings;
    warnings.Attach(image);
    image.Add(Indexed(10, 8, 2));
    EXPECT_TRUE(warnings.texts.empty()) << "the first frame sets the screen silently";
    EXPECT_EQ(image.Width(), 10);
    EXPECT_EQ(image.Height(), 8);

    auto frame = std::make_unique<TGIFSubImage>(&image);
    frame->SetLeft(6);
    frame->SetTop(5);
    frame->SetWidth(6);
    frame->SetHeight(4);
    image.Add(std::move(frame));
    EXPECT_EQ(image.Width(), 12);
    EXPECT_EQ(image.Height(), 9);
    EXPECT_EQ(warnings.texts, (std::vector<std::string>{"Image width too small for contained frames", "Image exceeds Logical Screen size",
                                                         "Image height too small for contained frames", "Image exceeds Logical Screen size"}));

    EXPECT_EQ(Message([&] { image.SetWidth(11); }), "Image width too small for contained frames");
    EXPECT_EQ(Message([&] { image.SetHeight(8); }), "Image height too small for contained frames");
    image.SetWidth(20);
    EXPECT_EQ(image.Width(), 20);
    EXPECT_EQ(Message([&] { image.Images[0].SetWidth(70000); }), "Invalid image dimensions");
}

TEST(GifWriter, CroppingKeepsTheOpaqueRectangle)
{
    TGIFImage image;
    image.Add(Indexed(12, 10, 16, 3));
    TGIFSubImage& frame = image.Images[0];
    frame.SetLeft(2);
    frame.SetTop(1);
    frame.ScanLine(7)[5] = 8;
    auto control = std::make_unique<TGIFGraphicControlExtension>(&frame);
    control->SetTransparent(true);
    control->SetTransparentColorIndex(3);
    frame.Extensions.Add(std::move(control));
    frame.CropToOpaque();
    EXPECT_EQ(frame.Left(), 7);
    EXPECT_EQ(frame.Top(), 8);
    EXPECT_EQ(frame.Width(), 1);
    EXPECT_EQ(frame.Height(), 1);
    EXPECT_EQ(frame.Pixel(0, 0), 8);
    EXPECT_EQ(image.Width(), 14);

    // A wider area: its corners decide the edges.
    TGIFImage wide;
    wide.Add(Indexed(9, 9, 16, 0));
    TGIFSubImage& w = wide.Images[0];
    w.ScanLine(2)[6] = 1;
    w.ScanLine(5)[1] = 2;
    auto c = std::make_unique<TGIFGraphicControlExtension>(&w);
    c->SetTransparent(true);
    w.Extensions.Add(std::move(c));
    w.CropToOpaque();
    EXPECT_EQ(w.Left(), 1);
    EXPECT_EQ(w.Top(), 2);
    EXPECT_EQ(w.Width(), 6);
    EXPECT_EQ(w.Height(), 4);
    EXPECT_EQ(w.Pixel(5, 0), 1);
    EXPECT_EQ(w.Pixel(0, 3), 2);
}

TEST(GifWriter, FrameOfOnlyTheTransparentIndexBecomesEmptyAndWritesOnlyItsExtensions)
{
    TGIFImage image;
    image.Add(Indexed(4, 4, 256, 1));
    AddGifFrame(image, Indexed(4, 4, 256, 7), 7);
    TGIFSubImage& frame = image.Images[1];
    EXPECT_TRUE(frame.Empty());
    ASSERT_EQ(frame.Extensions.Count(), 1); // cropping emptied the list; the control extension came after
    EXPECT_EQ(Message([&] { frame.Pixel(0, 0); }), "Image is empty");

    const std::vector<uint8_t> bytes = Bytes(image);
    // Frame 1 writes its control extension and nothing else before the trailer.
    const std::vector<uint8_t> tail = {0x21, 0xF9, 0x04, 0x01, 0x0F, 0x00, 7, 0x00, 0x3B};
    EXPECT_EQ(Slice(bytes, bytes.size() - tail.size(), tail.size()), tail);
}

TEST(GifWriter, InvalidIndicesWarnAndFallBack)
{
    TGIFImage image;
    Warnings warnings;
    warnings.Attach(image);
    image.Add(Indexed(2, 2, 16));
    TGIFGraphicControlExtension control(&image.Images[0]);
    control.SetTransparentColorIndex(255);
    EXPECT_EQ(control.TransparentColorIndex(), 0);
    EXPECT_EQ(warnings.texts, std::vector<std::string>{"Invalid color index"});

    TGIFColorMap& map = image.Images[0].ColorMap;
    EXPECT_EQ(map.Color(20), map.Color(0));
    EXPECT_EQ(warnings.texts.size(), 2u);
    for (int i = 16; i < 256; ++i)
        map.Add({1, 2, 3});
    EXPECT_EQ(Message([&] { map.Add({0, 0, 0}); }), "Color table overflow");
    TGIFColorMap empty;
    EXPECT_EQ(Message([&] { empty.Color(0); }), "Color table is empty");
    EXPECT_EQ(Message([&] { image.Images[0].Pixel(2, 0); }), "Invalid pixel coordinates");
}

TEST(GifWriter, CopyRecreatesEveryExtensionWithTheSameBytes)
{
    TGIFImage source;
    source.CodeScheme = csRunLength;
    source.PaletteBits = 4;
    source.AnimationSpeed = 50;
    source.PaletteMode = pmGray256;
    AddGifFrame(source, Indexed(6, 5, 256, 2), -1);
    Picture second = Indexed(6, 5, 256, 2);
    second.scanLine(3)[4] = 200;
    AddGifFrame(source, second, 2);
    TGIFSubImage& frame = source.Images[1];
    auto comment = std::make_unique<TGIFCommentExtension>(&frame);
    comment->Text = {"made by a test", std::string(300, 'x')};
    frame.Extensions.Add(std::move(comment));
    auto text = std::make_unique<TGIFTextExtension>(&frame);
    text->Grid = {1, 0, 2, 0, 30, 0, 10, 0, 8, 8, 1, 0};
    text->Text = {"caption"};
    frame.Extensions.Add(std::move(text));
    auto app = std::make_unique<TGIFUnknownAppExtension>(&frame, "DECKTEST", "1.0");
    app->Blocks = {{1, 2, 3}, {4}};
    frame.Extensions.Add(std::move(app));
    dynamic_cast<TGIFAppExtNSLoop&>(source.Images[0].Extensions[0]).SetBufferSize(4096);

    TGIFImage copy;
    copy.Assign(source);
    EXPECT_EQ(Bytes(copy), Bytes(source));
    EXPECT_EQ(copy.PaletteMode, pmGray256);
    EXPECT_EQ(copy.CodeScheme, csLZW);
    EXPECT_EQ(copy.PaletteBits, 8);
    EXPECT_EQ(copy.AnimationSpeed, 100);
    // The copy's first control extension is its own, found again from the bytes.
    TGIFGraphicControlExtension* control = copy.Images[1].GraphicControlExtension();
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control, &copy.Images[1].Extensions[0]);
    EXPECT_TRUE(copy.Images[1].Transparent());
    EXPECT_EQ(control->TransparentColorIndex(), 2);
    EXPECT_TRUE(DecodeGif(Bytes(copy)).ok);
}

TEST(GifWriter, BitmapsOfEveryDepthBecomeFrames)
{
    TGIFImage image;
    image.PaletteMode = pmNone;
    Picture rgb(3, 2);
    const uint8_t colors[6][3] = {{1, 2, 3}, {4, 5, 6}, {1, 2, 3}, {9, 9, 9}, {4, 5, 6}, {250, 0, 7}};
    for (int i = 0; i < 6; ++i)
        std::copy(colors[i], colors[i] + 3, rgb.scanLine(i / 3) + 3 * (i % 3));
    image.Add(rgb);
    const TGIFSubImage& f = image.Images[0];
    EXPECT_EQ(f.ColorMap.Count(), 4);
    for (int i = 0; i < 6; ++i) {
        const TGIFColor c = f.ColorMap.Color(f.Pixel(i % 3, i / 3));
        EXPECT_EQ(c, (TGIFColor{colors[i][2], colors[i][1], colors[i][0]})) << i;
    }

    Picture nibbles(3, 1, TPixelFormat::pf4bit);
    nibbles.scanLine(0)[0] = 0x5A;
    nibbles.scanLine(0)[1] = 0xC0;
    nibbles.palette().assign(16, 0);
    image.Add(nibbles);
    EXPECT_EQ(image.Images[1].Pixel(0, 0), 5);
    EXPECT_EQ(image.Images[1].Pixel(1, 0), 10);
    EXPECT_EQ(image.Images[1].Pixel(2, 0), 12);

    Picture bits(10, 1, TPixelFormat::pf1bit);
    bits.scanLine(0)[0] = 0x81;
    bits.scanLine(0)[1] = 0x40;
    bits.palette() = {0, 0xFFFFFF};
    image.Add(bits);
    std::vector<int> seen;
    for (int x = 0; x < 10; ++x)
        seen.push_back(image.Images[2].Pixel(x, 0));
    EXPECT_EQ(seen, (std::vector<int>{1, 0, 0, 0, 0, 0, 0, 1, 0, 1}));

    Picture many(300, 1);
    for (int x = 0; x < 300; ++x)
        many.scanLine(0)[3 * x] = static_cast<uint8_t>(x), many.scanLine(0)[3 * x + 1] = static_cast<uint8_t>(x / 256);
    EXPECT_EQ(Message([&] { image.Add(many); }), "Color table overflow");
}

TEST(GifWriter, FileErrorsCarryTheirTexts)
{
    TGIFImage image;
    image.Add(Indexed(2, 2, 2));
    QTemporaryDir dir;
    const std::string missing = dir.path().toStdString() + "/no/such/folder/x.gif";
    try {
        image.SaveToFile(missing);
        FAIL();
    } catch (const DeckrecError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file " + missing);
    }
    if (FILE* probe = std::fopen("/dev/full", "wb")) {
        std::fclose(probe);
        try {
            image.SaveToFile("/dev/full");
            FAIL() << "a full disk must not pass for success";
        } catch (const DeckrecError& e) {
            EXPECT_EQ(std::string(e.what()), "No space left on device");
        }
    }
    const std::string good = dir.path().toStdString() + "/ok.gif";
    image.SaveToFile(good);
    EXPECT_EQ(ReadFileBytes(good), Bytes(image));
}
