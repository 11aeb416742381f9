// The show as the browser draws it, measured in the page: the lines of a deck's text stay in
// the boxes LibreOffice laid them out for, when its fonts are narrower or wider than the
// browser's fallback.
#include "platform/webengine/browser_environment.h"
#include "platform/webengine/presentation_converter.h"
#include "platform/webengine/presentation_scheme.h"
#include "support/temp_program_folder.h"
#include "support/wait_for.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <gtest/gtest.h>
#include <optional>

namespace {

// Per text line of every slide's title and outline: its shape's class, its text, how far its
// end lies past the right edge of its box (SVG units, 1/100 mm; negative inside).
const char kLineOverflows[] = R"JS(
(function () {
  var lines = [];
  document.querySelectorAll('.SlideGroup g.TitleText, .SlideGroup g.Outline').forEach(function (shape) {
    var box = shape.querySelector('rect.BoundingBox');
    if (!box) return;
    var right = box.x.baseVal.value + box.width.baseVal.value;
    shape.querySelectorAll('tspan.TextPosition').forEach(function (line) {
      var text = line.textContent.replace(/\s+$/, '');
      if (!text) return;
      var start = line.getStartPositionOfChar(0).x;
      var end = line.getEndPositionOfChar(text.length - 1).x;
      lines.push({ shape: shape.getAttribute('class'), text: text, overflow: end - right });
    });
  });
  return JSON.stringify(lines);
})()
)JS";

class ShowRendering : public ::testing::Test {
protected:
    void SetUp() override { PrepareBrowserEnvironment(); }

    // Loads deck's show as the viewer serves it and runs script in it once it has loaded.
    QString RunInShow(const QString& deck, const QString& script)
    {
        QWebEngineProfile profile;
        profile.installUrlSchemeHandler(kPresentationScheme, new PresentationSchemeHandler(converter, &profile));
        QWebEngineView view;
        auto* page = new QWebEnginePage(&profile, &view);
        view.setPage(page);
        view.resize(800, 450);
        view.show();
        bool loaded = false;
        QObject::connect(page, &QWebEnginePage::loadFinished, [&](bool) { loaded = true; });
        page->load(QUrl(QStringLiteral("%1:%2").arg(kPresentationScheme, deck)));
        EXPECT_TRUE(WaitFor([&] { return loaded; }, 120000)) << "the show did not load";
        std::optional<QString> result;
        page->runJavaScript(script, [&](const QVariant& value) { result = value.toString(); });
        EXPECT_TRUE(WaitFor([&] { return result.has_value(); }, 20000));
        view.setPage(nullptr);
        delete page;
        return result.value_or(QString());
    }

    TempProgramFolder folder;
    PresentationConverter converter{QString::fromStdString(folder.files().WorkingDirectory())};
};

TEST_F(ShowRendering, NarrowAndBookFontsKeepEveryTitleAndBodyLineInsideItsBox)
{
    for (const char* deck : {"fidelity-wide.fodp", "fidelity-classic.fodp"}) {
        const QJsonArray lines =
            QJsonDocument::fromJson(RunInShow(QStringLiteral(DECKREC_TEST_DECKS "/") + deck, kLineOverflows).toUtf8()).array();
        ASSERT_GT(lines.size(), 8) << deck;
        bool condensedTitleSeen = false;
        for (const QJsonValue& value : lines) {
            const QJsonObject line = value.toObject();
            const QString text = line["text"].toString();
            condensedTitleSeen |= text.startsWith("A condensed title");
            // A few hundredths of a millimetre of rounding, no more.
            EXPECT_LE(line["overflow"].toDouble(), 30.0) << deck << ": " << text.toStdString();
        }
        EXPECT_TRUE(condensedTitleSeen) << deck;
    }
}

} // namespace
