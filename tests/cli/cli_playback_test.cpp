// SPDX-License-Identifier: GPL-3.0-or-later
// The built program playing decks to their end, on the show's clock and on the wall clock, in
// the deck's own format and in LibreOffice's .pptx of it: a show that opens with a transition,
// and click builds followed by a slide that moves on by itself while a motion path runs. And
// slides covered by a link (a web page, a file, a jump back to the first slide) that the
// recorder's clicks move on from without following it.
#include "program_run.h"
#include "support/local_http_server.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

// The program with args and a display of its own, as a build server runs it.
Outcome RunOnADisplayOfItsOwn(const QStringList& args)
{
    auto* process = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    process->setProcessEnvironment(env);
    process->start(DECKREC_PROGRAM, args);
    return Finish(process, 150000);
}

struct DeckCase {
    const char* deck;
    int slides;
};
const DeckCase kDecks[] = {{"first-slide-transition", 3}, {"builds-then-timed-slide", 5}};

class Playback : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        decks_ = new QTemporaryDir;
        QStringList arguments{"-env:UserInstallation=" + QUrl::fromLocalFile(decks_->filePath("profile")).toString(),
                              "--headless", "--norestore", "--convert-to", "pptx", "--outdir", decks_->path()};
        for (const DeckCase& c : kDecks) {
            const QString copy = decks_->filePath(QString(c.deck) + ".fodp");
            QFile::copy(QStringLiteral(DECKREC_TEST_DECKS "/%1.fodp").arg(c.deck), copy);
            arguments << copy;
        }
        QProcess::execute("soffice", arguments);
    }
    static void TearDownTestSuite()
    {
        delete decks_;
        decks_ = nullptr;
    }
    static QTemporaryDir* decks_;
};
QTemporaryDir* Playback::decks_ = nullptr;

} // namespace

TEST_F(Playback, EveryDeckPlaysToItsEndInBothModes)
{
    for (const DeckCase& c : kDecks) {
        for (const char* format : {"fodp", "pptx"}) {
            for (const bool realtime : {false, true}) {
                const QString deck = decks_->filePath(QStringLiteral("%1.%2").arg(c.deck, format));
                SCOPED_TRACE(deck.toStdString() + (realtime ? " on the wall clock" : " on the show's clock"));
                ASSERT_TRUE(QFile::exists(deck)) << "LibreOffice did not write it";
                QTemporaryDir out;
                const QString kept = out.filePath("kept");
                // A show that stalls is cut after a minute instead of running for 25.
                QStringList args{"convert", deck, "-q", "--latency", "500", "--max-minutes", "1",
                                 "-o", out.filePath("x.gif"), "--keep-recording", kept};
                if (realtime)
                    args << "--realtime";
                const Outcome run = RunOnADisplayOfItsOwn(args);
                EXPECT_EQ(run.status, 0) << run.err.toStdString();
                EXPECT_FALSE(run.err.contains("did not move on by itself")) << run.err.toStdString();
                EXPECT_FALSE(run.err.contains("the slide show says")) << run.err.toStdString();

                const QJsonObject manifest = QJsonDocument::fromJson(Bytes(kept + "/recording.json")).object();
                const QJsonArray slides = manifest.value("slides").toArray();
                ASSERT_FALSE(slides.isEmpty());
                EXPECT_EQ(slides.last().toObject().value("slide").toInt(), c.slides) << "the show did not reach its last slide";
                EXPECT_TRUE(manifest.value("ended").toBool());
                // The 16:9 slide fills the frame's width, without the black bars above and below.
                EXPECT_EQ(manifest.value("width").toInt(), 595);
                EXPECT_NEAR(manifest.value("height").toInt(), 335, 2);
            }
        }
    }
}

TEST_F(Playback, FullSlideLinksAreNeverFollowedInEitherMode)
{
    // The web link leads to the test's own server. On the wall clock remote content is allowed:
    // only the show itself keeps the link's page from being opened.
    LocalHttpServer server("<html>the linked page</html>", "text/html");
    ASSERT_GT(server.port(), 0);
    QByteArray deck = Bytes(DECKREC_TEST_DECKS "/full-slide-links.fodp");
    ASSERT_TRUE(deck.contains("http://127.0.0.1:1/"));
    deck.replace("http://127.0.0.1:1/", server.Url(QString()).toUtf8());
    const QString copy = decks_->filePath("full-slide-links.fodp");
    QFile file(copy);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(deck);
    file.close();
    for (const bool realtime : {false, true}) {
        SCOPED_TRACE(realtime ? "on the wall clock" : "on the show's clock");
        QTemporaryDir out;
        const QString kept = out.filePath("kept");
        QStringList args{"convert", copy, "-q", "--latency", "500", "--max-minutes", "1",
                         "-o", out.filePath("x.gif"), "--keep-recording", kept};
        if (realtime)
            args << "--realtime" << "--allow-remote-content";
        const Outcome run = RunOnADisplayOfItsOwn(args);
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
        EXPECT_TRUE(QFile::exists(out.filePath("x.gif")));

        const QJsonObject manifest = QJsonDocument::fromJson(Bytes(kept + "/recording.json")).object();
        QList<int> reached;
        for (const QJsonValue& slide : manifest.value("slides").toArray())
            reached << slide.toObject().value("slide").toInt();
        EXPECT_EQ(reached, (QList<int>{1, 2, 3, 4})) << "every slide once, in order";
        EXPECT_TRUE(manifest.value("ended").toBool());
        EXPECT_EQ(server.requests(), QStringList()) << "the linked page was opened";
    }
}
