// The built program playing decks to their end, on the show's clock and on the wall clock, in
// the deck's own format and in LibreOffice's .pptx of it: a show that opens with a transition,
// and click builds followed by a slide that moves on by itself while a motion path runs.
#include "program_run.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

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
                auto* process = new QProcess;
                QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
                env.remove("DISPLAY");
                process->setProcessEnvironment(env);
                process->start(DECKREC_PROGRAM, args);
                const Outcome run = Finish(process, 150000);
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
