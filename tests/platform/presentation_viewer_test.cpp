// SPDX-License-Identifier: GPL-3.0-or-later
// The presentation viewer's conversion with LibreOffice (or stand-ins for it) and its pages, and
// what the recorder's browser may load.
#include "core/working_files.h"
#include "platform/webengine/browser_environment.h"
#include "platform/fonts/font_resolver.h"
#include "show/presentation_converter.h"
#include "show/show_cache.h"
#include "platform/remote_content.h"
#include "show/remote_pictures.h"
#include "platform/webengine/webengine_browser.h"
#include "support/local_http_server.h"
#include "show/show_content.h"
#include "show/viewer_pages.h"
#include "support/temp_program_folder.h"
#include "support/wait_for.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <utility>
#include <vector>
#include <sys/types.h>

namespace {

// A process that has ended; one its new parent has not reaped yet counts as ended.
bool ProcessGone(pid_t pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray fields = stat.readAll();
    const qsizetype name = fields.lastIndexOf(')');
    return name >= 0 && fields.size() > name + 2 && fields[name + 2] == 'Z';
}

// The process id a stand-in wrote into path, once it is there.
pid_t WrittenPid(const QString& path)
{
    pid_t pid = 0;
    WaitFor([&] {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            pid = file.readAll().trimmed().toInt();
        return pid > 0;
    }, 10000);
    return pid;
}

class Viewer : public ::testing::Test {
protected:
    // Runs a conversion to its end; the result and whether it came back at once.
    ConversionResult Convert(const QString& path, bool* immediate = nullptr)
    {
        std::optional<ConversionResult> result;
        converter.Convert(path, [&](const ConversionResult& r) { result = r; });
        if (immediate)
            *immediate = result.has_value();
        QElapsedTimer timer;
        timer.start();
        while (!result && timer.elapsed() < 90000) {
            QEventLoop loop;
            QTimer::singleShot(20, &loop, &QEventLoop::quit);
            loop.exec();
        }
        EXPECT_TRUE(result.has_value()) << "no answer for " << path.toStdString();
        return result.value_or(ConversionResult{});
    }

    QString File(const QString& name, const QByteArray& content)
    {
        const QString path = QString::fromStdString(folder.path()) + name;
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(content);
        file.setPermissions(file.permissions() | QFile::ExeOwner);
        return path;
    }

    TempProgramFolder folder;
    PresentationConverter converter{QString::fromStdString(folder.files().WorkingDirectory()) + "shows/",
                                    ShowCache::DefaultLimitBytes(), FontResolver::Shared()};
};

} // namespace

TEST_F(Viewer, FilesThatCannotBeShownAreAnsweredAtOnceWithTheirReason)
{
    bool immediate = false;
    ConversionResult r = Convert(File("missing.ppt", {}) + "x", &immediate);
    EXPECT_TRUE(immediate);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.reason, "The file does not exist.");

    r = Convert(File("notes.txt", "hello"), &immediate);
    EXPECT_TRUE(immediate);
    EXPECT_TRUE(r.reason.startsWith("It is not a presentation")) << r.reason.toStdString();

    r = Convert(QString::fromStdString(folder.path()), &immediate);
    EXPECT_FALSE(r.ok);

    converter.setConverterProgram("/nonexistent/soffice");
    r = Convert(File("deck.odp", "x"), &immediate);
    EXPECT_TRUE(immediate);
    EXPECT_TRUE(r.reason.startsWith("LibreOffice Impress is not installed")) << r.reason.toStdString();
}

TEST_F(Viewer, ConvertsOnceAndServesTheCacheUntilTheFileChanges)
{
    const QString deck = File("my deck.fodp", {});
    QFile::remove(deck);
    ASSERT_TRUE(QFile::copy(DECKREC_SAMPLE_SOURCE, deck));

    bool immediate = true;
    const ConversionResult first = Convert(deck, &immediate);
    EXPECT_FALSE(immediate);
    ASSERT_TRUE(first.ok) << first.reason.toStdString();
    EXPECT_TRUE(first.showPath.startsWith(QString::fromStdString(folder.files().WorkingDirectory()) + "shows/"));
    const ConversionResult again = Convert(deck, &immediate);
    EXPECT_TRUE(immediate);
    EXPECT_EQ(again.showPath, first.showPath);

    // The viewer's script goes in before the end of the show, once.
    QFile show(first.showPath);
    ASSERT_TRUE(show.open(QIODevice::ReadOnly));
    const QByteArray served = WithViewerScript(show.readAll());
    EXPECT_EQ(served.count("</script>\n</svg>"), 1);
    EXPECT_EQ(served.count("deckrecFrameUrl"), 1);
    EXPECT_TRUE(served.contains("MetaDocument.prototype.setCurrentSlide"));

    // A deck touched without a change finds its show; an edited one is converted anew. No work
    // folders stay.
    QFile file(deck);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime);
    file.close();
    EXPECT_EQ(Convert(deck, &immediate).showPath, first.showPath);
    EXPECT_TRUE(immediate);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("<!-- edited -->\n");
    file.close();
    const ConversionResult newer = Convert(deck, &immediate);
    EXPECT_FALSE(immediate);
    ASSERT_TRUE(newer.ok);
    EXPECT_NE(newer.showPath, first.showPath);
    // The work folder goes with the finished LibreOffice process, which is deleted once its last
    // signal has been handled: a loaded machine may answer the conversion first.
    const auto workFolders = [&newer] {
        return QDir(QFileInfo(newer.showPath).path()).entryList({"convert-*"}, QDir::NoDotAndDotDot | QDir::AllEntries);
    };
    WaitFor([&] { return workFolders().isEmpty(); }, 5000);
    EXPECT_EQ(workFolders(), QStringList());
}

TEST_F(Viewer, WhatLibreOfficeCannotPlayIsReportedNotServed)
{
    // LibreOffice itself on a file that only pretends to be a presentation.
    ConversionResult r = Convert(File("fake.ppt", "plain text, not slides\n"));
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.reason.startsWith("LibreOffice could not make a slide show")) << r.reason.toStdString();

    // LibreOffice opens an empty .pptx as a new, blank presentation: a show of nothing.
    r = Convert(File("empty.pptx", {}));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.reason, "It shows no content: LibreOffice could not read it as a presentation.");
    EXPECT_EQ(converter.WhyCannotShow(QString::fromStdString(folder.path()) + "empty.pptx"), r.reason);

    // A converter that writes a picture without the slide show script.
    converter.setConverterProgram(File("drawing.sh",
        "#!/bin/sh\nfor a; do out=$prev; prev=$a; done\n"
        "echo '<svg xmlns=\"http://www.w3.org/2000/svg\"></svg>' > \"$out/x.svg\"\n"));
    r = Convert(File("drawing.odp", "x"));
    EXPECT_FALSE(r.ok);

    // One that never finishes is stopped at the time limit.
    converter.setConverterProgram(File("slow.sh", "#!/bin/sh\nexec sleep 30\n"));
    converter.setTimeLimitMs(300);
    QElapsedTimer timer;
    timer.start();
    r = Convert(File("slow.odp", "x"));
    EXPECT_LT(timer.elapsed(), 10000);
    EXPECT_TRUE(r.reason.startsWith("LibreOffice did not finish within 0.3 seconds")) << r.reason.toStdString();
}

TEST_F(Viewer, CannotShowPageEscapesTheNameAndTellsTheReason)
{
    const QByteArray page = CannotShowPage("/decks/<b>&\"x'.ppt", "The file does not exist.");
    EXPECT_TRUE(page.contains("/decks/&lt;b&gt;&amp;&quot;x&#39;.ppt"));
    EXPECT_FALSE(page.contains("<b>&"));
    EXPECT_TRUE(page.contains("The file does not exist."));
    EXPECT_TRUE(page.contains("cannot be shown"));
}

// soffice starts oosplash, which starts soffice.bin: stopping the launcher alone leaves
// LibreOffice running. The stand-ins start a worker of their own and wait for it.
TEST_F(Viewer, StoppingAConversionEndsLibreOfficesWholeProcessTree)
{
    const auto launcher = [this](const QString& pidFile) {
        return File(QFileInfo(pidFile).fileName() + ".sh",
            ("#!/bin/sh\nsleep 60 &\necho $! > '" + pidFile + "'\nwait\n").toUtf8());
    };
    const QString base = QString::fromStdString(folder.path());

    // At the time limit.
    converter.setConverterProgram(launcher(base + "limit.pid"));
    converter.setTimeLimitMs(500);
    const ConversionResult r = Convert(File("slow.odp", "x"));
    EXPECT_TRUE(r.reason.startsWith("LibreOffice did not finish")) << r.reason.toStdString();
    const pid_t worker = WrittenPid(base + "limit.pid");
    ASSERT_GT(worker, 0);
    EXPECT_TRUE(WaitFor([&] { return ProcessGone(worker); }, 5000)) << "worker " << worker << " still runs";

    // At the end of the program, with a conversion still running and nobody waiting for it.
    pid_t leftover = 0;
    {
        PresentationConverter leaving(QString::fromStdString(folder.files().WorkingDirectory()) + "shows/",
                                      ShowCache::DefaultLimitBytes(), FontResolver::Shared());
        leaving.setConverterProgram(launcher(base + "exit.pid"));
        leaving.Prepare(File("unfinished.odp", "x"));
        leftover = WrittenPid(base + "exit.pid");
        ASSERT_GT(leftover, 0);
        EXPECT_FALSE(ProcessGone(leftover));
    }
    EXPECT_TRUE(WaitFor([&] { return ProcessGone(leftover); }, 5000)) << "worker " << leftover << " still runs";
}

// Browse prepares the deck and the browser asks for it later: one run of LibreOffice serves both.
TEST_F(Viewer, APreparedDeckIsConvertedOnceForEveryoneWhoAsks)
{
    const QString runs = QString::fromStdString(folder.path()) + "runs";
    converter.setConverterProgram(File("counting.sh",
        ("#!/bin/sh\necho \"run $5\" >> '" + runs + "'\nfor a; do out=$prev; prev=$a; done\nmkdir -p \"$out\"\nsleep 0.3\n"
         "echo '<svg xmlns=\"http://www.w3.org/2000/svg\"><g class=\"ooo:meta_slides\"/><g id=\"id1\" class=\"Slide\">"
         "<g class=\"Page\"><text>Hi</text></g></g><script>var theMetaDoc;</script></svg>'"
         " > \"$out/deck.svg\"\n").toUtf8()));
    const QString deck = File("talk.odp", "x");
    converter.Prepare(deck);
    bool immediate = true;
    const ConversionResult shown = Convert(deck, &immediate); // asked while the conversion runs
    EXPECT_FALSE(immediate);
    ASSERT_TRUE(shown.ok) << shown.reason.toStdString();
    converter.Prepare(deck);
    const ConversionResult again = Convert(deck, &immediate);
    EXPECT_TRUE(immediate);
    EXPECT_EQ(again.showPath, shown.showPath);
    QFile counted(runs);
    ASSERT_TRUE(counted.open(QIODevice::ReadOnly));
    // One show, and one flat copy of the deck that tells how its paragraphs are aligned.
    const QByteArray log = counted.readAll();
    EXPECT_EQ(log.count("run svg"), 1);
    EXPECT_EQ(log.count("run"), 2) << log.toStdString();

    // A file that cannot be shown is only reported when it is shown.
    converter.Prepare(File("notes.txt", "hello"));
    EXPECT_FALSE(Convert(QString::fromStdString(folder.path()) + "notes.txt").ok);
}

// The browser of the recorder loads nothing from the network unless remote content is allowed
// (pictures a show names, of HTML and of SVG), and never leaves the page the program opened,
// also when remote content is allowed: a link's target is neither shown nor fetched.
TEST(Browser, LoadsNothingRemoteUnlessAllowedAndNeverLeavesTheOpenedPage)
{
    PrepareBrowserEnvironment();
    LocalHttpServer server("<html>elsewhere</html>", "text/html");
    ASSERT_GT(server.port(), 0);
    TempProgramFolder folder;
    const QString page = QString::fromStdString(folder.path()) + "page.html";
    QFile file(page);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("<html><body><img src=\"%1\"><svg width=\"20\" height=\"20\"><image href=\"%2\" "
                              "width=\"20\" height=\"20\"/></svg><a id=\"away\" href=\"%3\">away</a></body></html>")
                   .arg(server.Url("img.png"), server.Url("svg.png"), server.Url("away.html"))
                   .toUtf8());
    file.close();
    PresentationConverter shows(QString::fromStdString(folder.files().WorkingDirectory()) + "shows/",
                                ShowCache::DefaultLimitBytes(), FontResolver::Shared());
    WebEngineBrowser browser(nullptr, shows);
    browser.widget()->resize(400, 300);
    browser.widget()->show();
    for (const bool allowed : {false, true}) {
        SCOPED_TRACE(allowed ? "remote content allowed" : "by default");
        AllowRemoteContent(allowed);
        server.forget();
        browser.Navigate(page);
        ASSERT_TRUE(WaitFor([&] { return browser.State() == PageState::Page; }, 60000));
        browser.RunScript(QStringLiteral("document.getElementById('away').click();"));
        QElapsedTimer settle;
        settle.start();
        WaitFor([&] { return settle.elapsed() > 1500; }, 3000);
        const QStringList requests = server.requests();
        EXPECT_EQ(requests.filter("/img.png").isEmpty(), !allowed) << requests.join(", ").toStdString();
        EXPECT_EQ(requests.filter("/svg.png").isEmpty(), !allowed) << requests.join(", ").toStdString();
        EXPECT_TRUE(requests.filter("/away.html").isEmpty()) << "the link was followed";
        EXPECT_EQ(browser.State(), PageState::Page);
    }
    AllowRemoteContent(false);
}

// The pictures a deck loads from the network, as the warning names them: not its hyperlinks,
// nor pictures in files beside it or inside it.
TEST(RemoteContent, TheWarningNamesThePicturesLoadedFromTheNetworkOnly)
{
    const auto deck = [](const char* body) {
        return QByteArray("<office:document xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                          "xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\" "
                          "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
                          "xmlns:xlink=\"http://www.w3.org/1999/xlink\">") +
               body + "</office:document>";
    };
    const std::vector<std::pair<const char*, QStringList>> cases = {
        {"<draw:image xlink:href=\"http://example.com/a.png\"/><draw:image xlink:href=\"https://example.com/b.png\"/>"
         "<draw:image xlink:href=\"http://example.com/a.png\"/>",
         {"http://example.com/a.png", "https://example.com/b.png"}},
        {"<style:style><draw:fill-image xlink:href=\"ftp://example.com/fill.png\"/></style:style>"
         "<style:background-image xlink:href=\"//example.com/back.png\"/>",
         {"ftp://example.com/fill.png", "//example.com/back.png"}},
        {"<draw:image xlink:href=\"file:///home/me/a.png\"/><draw:image xlink:href=\"../pictures/b.png\"/>"
         "<draw:image xlink:href=\"Pictures/c.png\"/><draw:image xlink:href=\"C:/talks/d.png\"/>"
         "<draw:image><office:binary-data>iVBORw0=</office:binary-data></draw:image>",
         {}},
        {"<draw:a xlink:href=\"http://example.com/page.html\"><draw:rect/></draw:a>", {}},
    };
    for (const auto& [body, links] : cases) {
        SCOPED_TRACE(body);
        EXPECT_EQ(RemotePictureLinks(deck(body)), links);
    }
    EXPECT_EQ(RemotePicturesWarning({"http://example.com/a.png", "http://example.com/b.png"}),
              "the deck links 2 pictures on the network; they are drawn as missing links: http://example.com/a.png, "
              "http://example.com/b.png");
}

// What counts as a slide that shows something, in the shapes of LibreOffice's export.
TEST(ShowContent, ASlideOrAVisibleMasterMustDrawSomething)
{
    const auto show = [](const char* body) {
        return QByteArray("<svg xmlns=\"http://www.w3.org/2000/svg\"><defs>"
                          "<g id=\"dummy-master-page\" class=\"Master_Slide\"><path d=\"M 0,0\"/></g></defs>"
                          "<g class=\"DummySlide\"><g id=\"dummy-slide\" class=\"Slide\"><g class=\"Page\"><rect/></g></g></g>") +
               body + "</svg>";
    };
    const std::vector<std::pair<const char*, bool>> cases = {
        {"<g visibility=\"hidden\"><g id=\"id1\" class=\"Slide\"><g class=\"Page\"/></g></g>", false},
        {"<g visibility=\"hidden\"><g id=\"id1\" class=\"Slide\"><g class=\"Page\"><g><rect class=\"BoundingBox\"/>"
         "</g></g></g></g>", false},
        {"<g visibility=\"hidden\"><g id=\"id1\" class=\"Slide\"><g class=\"Page\"><g><text>Hi</text></g></g></g></g>", true},
        {"<defs><g id=\"id2\" class=\"Master_Slide\"><g class=\"BackgroundObjects\"><g visibility=\"hidden\">"
         "<text>&lt;footer&gt;</text></g></g></g></defs>", false},
        {"<defs><g id=\"id2\" class=\"Master_Slide\"><g class=\"Background\"><path d=\"M 0,0\"/></g></g></defs>", true},
        {"<g class=\"Slide\"><unclosed>", true},
    };
    for (const auto& [body, content] : cases)
        EXPECT_EQ(ShowDrawsContent(show(body)), content) << body;
}
