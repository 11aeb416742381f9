// SPDX-License-Identifier: GPL-3.0-or-later
// The built program converting decks that link a picture on the network, with an HTTP server of
// the test's own on 127.0.0.1 counting what reaches it: by default nothing does (the picture is
// drawn as a missing link and one warning names it), with --allow-remote-content the picture is
// fetched and recorded, and the shared show cache never serves one kind of show to the other
// kind of run. A picture linked as a local file is drawn as before. The decks: a .fodp with a
// linked draw:image, and a .pptx whose picture is an external relationship.
#include "core/frame_store.h"
#include "core/picture.h"
#include "core/working_files.h"
#include "support/local_http_server.h"

#include "program_run.h"

#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

// One-pixel PNGs, stretched over their frames: red served by the test's server, blue a file.
const QByteArray kRedPng = QByteArray::fromBase64(
    "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAIAAACQd1PeAAAADElEQVR42mP4z8AAAAMBAQD3A0FDAAAAAElFTkSuQmCC");
const QByteArray kBluePng = QByteArray::fromBase64(
    "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAIAAACQd1PeAAAADElEQVR42mNgYPgPAAEDAQA2dBFAAAAAAElFTkSuQmCC");

// A white 28 x 15.75 cm slide with two 8 cm pictures, their centres at (6, 6) and (22, 6) cm.
QByteArray Deck(const QString& leftPicture, const QString& rightPicture)
{
    const QString deck = QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
  xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
  xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"
  xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
  xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"
  xmlns:presentation="urn:oasis:names:tc:opendocument:xmlns:presentation:1.0"
  xmlns:xlink="http://www.w3.org/1999/xlink"
  office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.presentation">
 <office:automatic-styles>
  <style:page-layout style:name="PM1"><style:page-layout-properties fo:margin-top="0cm" fo:margin-bottom="0cm"
    fo:margin-left="0cm" fo:margin-right="0cm" fo:page-width="28cm" fo:page-height="15.75cm"/></style:page-layout>
  <style:style style:name="white" style:family="drawing-page"><style:drawing-page-properties
    presentation:background-visible="true" draw:background-size="full" draw:fill="solid" draw:fill-color="#ffffff"/></style:style>
 </office:automatic-styles>
 <office:master-styles><style:master-page style:name="Default" style:page-layout-name="PM1"/></office:master-styles>
 <office:body><office:presentation>
  <draw:page draw:name="Pictures" draw:style-name="white" draw:master-page-name="Default">
   <draw:frame svg:x="2cm" svg:y="2cm" svg:width="8cm" svg:height="8cm">%1</draw:frame>
   <draw:frame svg:x="18cm" svg:y="2cm" svg:width="8cm" svg:height="8cm">%2</draw:frame>
  </draw:page>
 </office:presentation></office:body>
</office:document>
)");
    return deck.arg(leftPicture, rightPicture).toUtf8();
}

QString LinkedImage(const QString& url)
{
    return QStringLiteral(
               "<draw:image xlink:href=\"%1\" xlink:type=\"simple\" xlink:show=\"embed\" xlink:actuate=\"onLoad\"/>")
        .arg(url.toHtmlEscaped());
}

QString EmbeddedImage(const QByteArray& png)
{
    return QStringLiteral("<draw:image><office:binary-data>%1</office:binary-data></draw:image>")
        .arg(QString::fromLatin1(png.toBase64()));
}

bool WriteFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

// LibreOffice's .pptx of a deck whose left picture is embedded, that picture then turned into
// a link to url (an external relationship, as PowerPoint writes "Link to File").
bool WriteLinkedPptx(const QTemporaryDir& dir, const QString& url, const QString& pptx)
{
    const QString source = dir.filePath("embedded.fodp");
    if (!WriteFile(source, Deck(EmbeddedImage(kRedPng), QString())))
        return false;
    QProcess::execute("soffice", {"-env:UserInstallation=" + QUrl::fromLocalFile(dir.filePath("profile")).toString(),
                                  "--headless", "--norestore", "--convert-to", "pptx", "--outdir", dir.path(), source});
    const char* relink = R"(import re, sys, zipfile
source, target, url = sys.argv[1:4]
with zipfile.ZipFile(source) as deck, zipfile.ZipFile(target, 'w', zipfile.ZIP_DEFLATED) as linked:
    for item in deck.infolist():
        data = deck.read(item.filename)
        if item.filename.startswith('ppt/media/'):
            continue
        if item.filename == 'ppt/slides/_rels/slide1.xml.rels':
            data = re.sub(rb'Target="\.\./media/[^"]+"', b'Target="' + url.encode() + b'" TargetMode="External"', data)
        if item.filename == 'ppt/slides/slide1.xml':
            data = data.replace(b'r:embed=', b'r:link=')
        linked.writestr(item, data)
)";
    return QProcess::execute("python3", {"-c", relink, dir.filePath("embedded.pptx"), pptx, url}) == 0;
}

// Whether this system gives a process a network of its own; without, the suite's own block of
// untrusted links leaves out local linked pictures too.
bool NetworkNamespaces()
{
    return QProcess::execute("unshare", {"--net", "true"}) == 0 ||
           QProcess::execute("unshare", {"--user", "--map-current-user", "--net", "true"}) == 0;
}

struct Colour {
    int red, green, blue;
};

// The pixel of the recording's first picture at (x, y) cm of the 28 x 15.75 cm slide.
Colour PixelAt(const QString& kept, double xCm, double yCm)
{
    const WorkingFiles files(kept.toStdString() + "/", kept.toStdString() + "/");
    Picture picture;
    if (!FrameExists(files, 1))
        return {-1, -1, -1};
    LoadFrame(files, 1, picture);
    const int x = static_cast<int>(xCm / 28.0 * picture.width());
    const int y = static_cast<int>(yCm / 15.75 * picture.height());
    const uint8_t* px = picture.scanLine(y) + 3 * x;
    return {px[2], px[1], px[0]};
}

bool IsRed(const Colour& c)
{
    return c.red > 200 && c.green < 60 && c.blue < 60;
}

bool IsBlue(const Colour& c)
{
    return c.blue > 200 && c.red < 60 && c.green < 60;
}

} // namespace

TEST(RemoteContent, NothingIsFetchedUnlessAllowedAndTheCacheKeepsTheTwoApart)
{
    LocalHttpServer server(kRedPng);
    ASSERT_GT(server.port(), 0);
    QTemporaryDir dir;
    const QString url = server.Url("picture.png");
    const QString fodp = dir.filePath("linked.fodp");
    const QString bluePicture = dir.filePath("blue.png");
    ASSERT_TRUE(WriteFile(bluePicture, kBluePng));
    ASSERT_TRUE(WriteFile(fodp, Deck(LinkedImage(url), LinkedImage(QUrl::fromLocalFile(bluePicture).toString()))));
    const QString pptx = dir.filePath("linked.pptx");
    ASSERT_TRUE(WriteLinkedPptx(dir, url, pptx));
    server.forget();
    const bool localLinksDrawn = NetworkNamespaces();

    // One cache for all runs: each run must find the show of its own kind, never the other's.
    struct Run {
        QString deck;
        bool allow;
    };
    const Run runs[] = {{fodp, false}, {fodp, true}, {fodp, false}, {pptx, false}, {pptx, true}};
    int index = 0;
    for (const Run& run : runs) {
        SCOPED_TRACE(QStringLiteral("run %1: %2%3")
                         .arg(++index)
                         .arg(QFileInfo(run.deck).fileName(), run.allow ? " --allow-remote-content" : "")
                         .toStdString());
        const QString kept = dir.filePath(QStringLiteral("kept%1").arg(index));
        QStringList args{"convert",          run.deck, "--latency", "500", "-o", dir.filePath("x.gif"),
                         "--keep-recording", kept};
        if (run.allow)
            args << "--allow-remote-content";
        auto* process = new QProcess;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        env.insert("XDG_CACHE_HOME", dir.filePath("cache"));
        process->setProcessEnvironment(env);
        process->start(DECKREC_PROGRAM, args);
        const Outcome outcome = Finish(process, 150000);
        ASSERT_EQ(outcome.status, 0) << outcome.err.toStdString();

        const QStringList requests = server.requests();
        server.forget();
        const QStringList warnings = outcome.err.split('\n').filter("deckrec: warning:");
        const Colour linked = PixelAt(kept, 6, 7);
        if (run.allow) {
            EXPECT_FALSE(requests.isEmpty()) << "the picture was not fetched";
            EXPECT_TRUE(IsRed(linked)) << linked.red << "," << linked.green << "," << linked.blue;
            EXPECT_TRUE(warnings.filter(url).isEmpty()) << outcome.err.toStdString();
        } else {
            EXPECT_EQ(requests, QStringList()) << "the network was reached";
            EXPECT_FALSE(IsRed(linked)) << "a show with the fetched picture was served";
            EXPECT_EQ(warnings.filter(url).size(), 1) << outcome.err.toStdString();
        }
        if (run.deck == fodp) {
            EXPECT_EQ(IsBlue(PixelAt(kept, 22, 7)), localLinksDrawn || run.allow) << "the picture linked as a file";
        }
    }
}
