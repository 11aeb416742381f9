// SPDX-License-Identifier: GPL-3.0-or-later
// A deck's date, footer and slide-number fields as the show draws them, on the decks of
// tests/decks that put them where the export goes wrong (footers on each slide, numbers in boxes
// too narrow for "<number>"), as the .fodp and as LibreOffice's .pptx and .ppt of it: each
// slide shows its own number where the suite's PDF of the same file shows it, and no
// placeholder is drawn as text.
#include "show_in_view.h"
#include "support/wait_for.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>
#include <cmath>
#include <gtest/gtest.h>

namespace {

// Per slide: every text drawn on it (its own boxes and its master's view, not what is hidden
// there, and what a <use> draws from elsewhere), with its box in the show's units. The show
// makes a slide's view of its master when it first shows the slide: here, for every slide.
const char kDrawnTexts[] = R"JS(
(function () {
  theMetaDoc.aMetaSlideSet.forEach(function (slide) { slide.updateMasterPageView(); });
  function hidden(element, slide) {
    for (var e = element; e && e !== slide; e = e.parentElement)
      if (e.getAttribute('visibility') === 'hidden') return true;
    return false;
  }
  return JSON.stringify(Array.from(document.querySelectorAll('.SlideGroup g.Slide')).map(function (slide) {
    var texts = [];
    slide.querySelectorAll('text').forEach(function (text) {
      if (hidden(text, slide)) return;
      var box = text.getBBox();
      texts.push({ text: text.textContent.replace(/\s+/g, ''), left: box.x, right: box.x + box.width });
    });
    slide.querySelectorAll('use').forEach(function (use) {
      if (hidden(use, slide)) return;
      var target = document.getElementById(use.href.baseVal.replace('#', ''));
      // What a <use> draws is not laid out where it is defined: measured on a drawn copy.
      if (target) target.querySelectorAll('text').forEach(function (text) {
        var copy = document.documentElement.appendChild(text.cloneNode(true));
        var box = copy.getBBox();
        copy.remove();
        texts.push({ text: text.textContent.replace(/\s+/g, ''), left: box.x, right: box.x + box.width });
      });
    });
    return texts;
  }));
})()
)JS";

// Where the suite's PDF of each deck (in all three formats, within a few hundredths of a
// millimetre) sets a text on a slide: its left or its right edge, in 1/100 mm.
struct Placed {
    int slide;
    QString text; // without white space
    bool rightAligned;
    double edge;
};

struct DeckCase {
    const char* deck;
    std::vector<Placed> texts;
    std::vector<const char*> formats = {"fodp", "pptx", "ppt"};
};

std::vector<Placed> SlideFooters()
{
    std::vector<Placed> texts;
    for (int slide = 1; slide <= 3; ++slide) {
        texts.push_back({slide, QString::number(slide), true, 26549});
        texts.push_back({slide, "2May2024", false, 1450});
        texts.push_back({slide, "Writtenontheslide", false, 12181});
    }
    return texts;
}

const std::vector<DeckCase> kDecks = {
    {"slide-footers", SlideFooters()},
    // A zero-width box at the left edge, boxes 0.3 cm wide, a right-aligned plain box.
    {"narrow-fields", {{1, "1", false, 0}, {2, "2", false, 250}, {3, "3", false, 250}, {4, "4", true, 26549}}},
    // LibreOffice's .pptx of it holds "<footer>" and "<date/time>" as plain text, which the
    // suite draws as it stands.
    {"plain-footer-box",
     {{1, "Footerinaplainbox", false, 1450}, {1, "4July2024", true, 26549}, {2, "Footerinaplainbox", false, 1450}, {2, "4July2024", true, 26549}},
     {"fodp", "ppt"}},
};

class ShowFields : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        decks_ = new QTemporaryDir;
        for (const DeckCase& c : kDecks)
            QFile::copy(QStringLiteral(DECKREC_TEST_DECKS "/%1.fodp").arg(c.deck), decks_->filePath(QString(c.deck) + ".fodp"));
        // One LibreOffice run per format, on a profile of its own.
        for (const char* format : {"pptx", "ppt"}) {
            QStringList arguments{"-env:UserInstallation=" + QUrl::fromLocalFile(decks_->filePath("profile")).toString(),
                                  "--headless", "--norestore", "--convert-to", format, "--outdir", decks_->path()};
            for (const DeckCase& c : kDecks)
                arguments << decks_->filePath(QString(c.deck) + ".fodp");
            QProcess::execute("soffice", arguments);
        }
    }
    static void TearDownTestSuite()
    {
        delete decks_;
        decks_ = nullptr;
    }

    QJsonArray DrawnTexts(const QString& deck)
    {
        EXPECT_TRUE(show.Load(deck)) << "the show did not load";
        return QJsonDocument::fromJson(show.Run(kDrawnTexts).toUtf8()).array();
    }

    static QTemporaryDir* decks_;
    ShowInView show;
};

QTemporaryDir* ShowFields::decks_ = nullptr;

TEST_F(ShowFields, EachSlideShowsItsNumberAndFootersWhereTheSuiteDoesAndNoPlaceholder)
{
    const QRegularExpression placeholder("<(number|date/time|footer|header)>");
    for (const DeckCase& c : kDecks) {
        for (const char* format : c.formats) {
            const QString file = decks_->filePath(QStringLiteral("%1.%2").arg(c.deck, format));
            const std::string label = QFileInfo(file).fileName().toStdString();
            ASSERT_GT(QFileInfo(file).size(), 0) << label << ": LibreOffice did not write it";
            const QJsonArray slides = DrawnTexts(file);
            ASSERT_EQ(slides.size(), qsizetype(c.texts.back().slide)) << label;
            for (qsizetype n = 0; n < slides.size(); ++n)
                for (const QJsonValue& text : slides[n].toArray())
                    EXPECT_FALSE(text["text"].toString().contains(placeholder))
                        << label << " slide " << n + 1 << " draws " << text["text"].toString().toStdString();
            for (const Placed& wanted : c.texts) {
                bool found = false;
                QStringList drawn;
                for (const QJsonValue& value : slides[wanted.slide - 1].toArray()) {
                    const QJsonObject text = value.toObject();
                    drawn << QStringLiteral("%1 %2..%3").arg(text["text"].toString()).arg(text["left"].toDouble()).arg(text["right"].toDouble());
                    if (text["text"].toString() == wanted.text)
                        found |= std::abs((wanted.rightAligned ? text["right"] : text["left"]).toDouble() - wanted.edge) <= 60;
                }
                EXPECT_TRUE(found) << label << " slide " << wanted.slide << " shows no \"" << wanted.text.toStdString()
                                   << "\" with its " << (wanted.rightAligned ? "right" : "left") << " edge at " << wanted.edge
                                   << "; it shows " << drawn.join(", ").toStdString();
            }
        }
    }
}

} // namespace
