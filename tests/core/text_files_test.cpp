#include "core/deckrec_error.h"
#include "core/presentation_page.h"
#include "core/printable_text.h"
#include "core/text_files.h"
#include "support/temp_program_folder.h"

#include <fstream>
#include <gtest/gtest.h>

namespace {
void Write(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}
std::string Read(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}
} // namespace

TEST(TextFiles, ReadNormalisesEveryLineEndToCrLf)
{
    TempProgramFolder folder;
    const std::string path = folder.path() + "t.txt";
    EXPECT_EQ(ReadTextFile(folder.path() + "missing"), "");
    Write(path, "");
    EXPECT_EQ(ReadTextFile(path), "");
    Write(path, "a\nb\r\nc\rd");
    EXPECT_EQ(ReadTextFile(path), "a\r\nb\r\nc\r\nd\r\n");
    Write(path, "a\n\nb\n");
    EXPECT_EQ(ReadTextFile(path), "a\r\n\r\nb\r\n");
    Write(path, std::string("ab\0cd\n", 6));
    EXPECT_EQ(ReadTextFile(path), "ab\r\n");
}

TEST(TextFiles, ReplaceAllAndTextAfter)
{
    EXPECT_EQ(ReplaceAll("x[right.htm]y[right.htm]z[right.htm]", "[right.htm]", "P"), "xPyPzP");
    EXPECT_EQ(ReplaceAll("x[RIGHT.HTM]y", "[right.htm]", "P"), "x[RIGHT.HTM]y");
    EXPECT_EQ(ReplaceAll("a[right.htm]b", "[right.htm]", "[right.htm]"), "a[right.htm]b");
    EXPECT_EQ(ReplaceAll("aaa", "aa", "a"), "aa");
    EXPECT_EQ(TextAfter("file:///C:/a/b.ppt", "///"), "C:/a/b.ppt");
    EXPECT_EQ(TextAfter("file:///C:/a/b.ppt", "#"), "file:///C:/a/b.ppt");
    EXPECT_EQ(TextAfter("aXb", "x"), "b");
    EXPECT_EQ(TextAfter("abc", "c"), "");
}

TEST(PresentationPage, FillsEveryPlaceholderAndEscapesMarkup)
{
    TempProgramFolder folder;
    Write(PageTemplatePath(folder.files()), "<a href=\"[right.htm]\">\n[right.htm] [RIGHT.HTM]");
    WriteGeneratedPage(folder.files(), "/home/me/My Talk.ppt");
    EXPECT_EQ(Read(GeneratedPagePath(folder.files())), "<a href=\"/home/me/My Talk.ppt\">\r\n/home/me/My Talk.ppt [RIGHT.HTM]\r\n");

    WriteGeneratedPage(folder.files(), "/tmp/a\"><script>x('&')</script>.ppt");
    EXPECT_EQ(Read(GeneratedPagePath(folder.files())),
              "<a href=\"/tmp/a&quot;&gt;&lt;script&gt;x(&#39;&amp;&#39;)&lt;/script&gt;.ppt\">\r\n"
              "/tmp/a&quot;&gt;&lt;script&gt;x(&#39;&amp;&#39;)&lt;/script&gt;.ppt [RIGHT.HTM]\r\n");
}

TEST(PresentationPage, MissingTemplateGivesAnEmptyPageAndWriteFailuresAreReported)
{
    TempProgramFolder folder;
    WriteGeneratedPage(folder.files(), "/x.ppt");
    EXPECT_EQ(Read(GeneratedPagePath(folder.files())), "");
    try {
        WriteTextFile("x", folder.path() + "no/such/dir/file");
        FAIL() << "no error";
    } catch (const DeckrecError& e) {
        EXPECT_STREQ(e.what(), "I/O error 2");
    }
}

// File names as bytes: what a terminal may show of them, and what a strict JSON reader takes.
TEST(PrintableText, ControlCharactersAndStrayBytesAreEscapedForTheTerminalAndReplacedForJson)
{
    struct Case {
        std::string text;
        bool valid;
        std::string printable;
        std::string utf8;
    } cases[] = {
        {"talk.odp", true, "talk.odp", "talk.odp"},
        {"Grüße\tköln\n", true, "Grüße\tköln\n", "Grüße\tköln\n"},
        {"bad\xff.fodp", false, "bad\\xff.fodp", "bad\xEF\xBF\xBD.fodp"},
        {"\x1b[31mred", true, "\\x1b[31mred", "\x1b[31mred"},
        {"c1\xC2\x9B" "x", true, "c1\\xc2\\x9bx", "c1\xC2\x9B" "x"},
        {"overlong\xC0\xAF", false, "overlong\\xc0\\xaf", "overlong\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"cut\xE2\x82", false, "cut\\xe2\\x82", "cut\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"del\x7f", true, "del\\x7f", "del\x7f"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsValidUtf8(c.text), c.valid) << c.printable;
        EXPECT_EQ(PrintableText(c.text), c.printable);
        EXPECT_EQ(ValidUtf8(c.text), c.utf8) << c.printable;
    }
}
