// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A deck's slide show as the viewer serves it, loaded in a browser view of its own with a fresh
// program folder: scripts run in the page and their answers come back as text.

#include "platform/webengine/browser_environment.h"
#include "platform/fonts/font_resolver.h"
#include "show/presentation_converter.h"
#include "show/show_cache.h"
#include "platform/webengine/presentation_scheme.h"
#include "platform/webengine/show_page.h"
#include "support/temp_program_folder.h"
#include "support/wait_for.h"

#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <optional>

class ShowInView {
public:
    // Shows come from LibreOffice through the program's converter, or from shows when given.
    explicit ShowInView(ShowSource* shows = nullptr)
    {
        profile.installUrlSchemeHandler(kPresentationScheme,
                                        new PresentationSchemeHandler(shows ? *shows : converter, &profile));
        view.setPage(page);
        view.resize(800, 450);
        view.show();
    }
    ~ShowInView()
    {
        view.setPage(nullptr);
        delete page;
    }

    // Loads the deck's show (query: e.g. "clock=show"); false when it did not load in time.
    bool Load(const QString& deck, const QString& query = QString())
    {
        bool loaded = false;
        const auto connection = QObject::connect(page, &QWebEnginePage::loadFinished, [&](bool) { loaded = true; });
        const QUrl show(QStringLiteral("%1:%2").arg(kPresentationScheme, deck) +
                        (query.isEmpty() ? QString() : QLatin1Char('?') + query));
        page->setOpened(show); // the page refuses any other navigation
        page->load(show);
        const bool done = WaitFor([&] { return loaded; }, 120000);
        QObject::disconnect(connection);
        return done;
    }

    // What the script evaluates to, as text; empty when it gave no answer in time.
    QString Run(const QString& script)
    {
        std::optional<QString> result;
        page->runJavaScript(script, [&](const QVariant& value) { result = value.toString(); });
        WaitFor([&] { return result.has_value(); }, 20000);
        return result.value_or(QString());
    }

private:
    // Before the browser's first object: the switches it starts with.
    struct Environment {
        Environment() { PrepareBrowserEnvironment(); }
    } environment_;

public:
    TempProgramFolder folder;
    PresentationConverter converter{QString::fromStdString(folder.files().WorkingDirectory()) + "shows/",
                                    ShowCache::DefaultLimitBytes(), FontResolver::Shared()};
    QWebEngineProfile profile;
    QWebEngineView view;
    ShowPage* page = new ShowPage(&profile, &view);
};
