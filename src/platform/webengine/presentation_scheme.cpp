// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/webengine/presentation_scheme.h"

#include "platform/fonts/show_fonts.h"
#include "platform/fonts/symbol_text.h"
#include "platform/webengine/effect_repair_script.h"
#include "platform/webengine/motion_path_script.h"
#include "platform/webengine/presentation_converter.h"
#include "platform/webengine/show_clock_script.h"
#include "platform/webengine/viewer_pages.h"

#include <QBuffer>
#include <QFile>
#include <QPointer>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>

void RegisterPresentationScheme()
{
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    QWebEngineUrlScheme scheme(kPresentationScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    // Local like file: so that the generated page, a local file, may embed it.
    scheme.setFlags(QWebEngineUrlScheme::LocalScheme | QWebEngineUrlScheme::LocalAccessAllowed);
    QWebEngineUrlScheme::registerScheme(scheme);
}

namespace {

void Reply(QWebEngineUrlRequestJob* job, const QByteArray& type, const QByteArray& content)
{
    auto* buffer = new QBuffer(job);
    buffer->setData(content);
    job->reply(type, buffer);
}

} // namespace

PresentationSchemeHandler::PresentationSchemeHandler(PresentationConverter& converter, QObject* parent)
    : QWebEngineUrlSchemeHandler(parent)
    , converter_(converter)
{
}

void PresentationSchemeHandler::requestStarted(QWebEngineUrlRequestJob* job)
{
    const QString path = job->requestUrl().path();
    // A page on the show clock asks for the show with the clock inside it.
    const bool showClock = job->requestUrl().query() == QLatin1String("clock=show");
    QPointer<QWebEngineUrlRequestJob> pending(job);
    converter_.Convert(path, [pending, path, showClock](const ConversionResult& result) {
        if (!pending)
            return; // the frame navigated elsewhere meanwhile
        if (!result.ok)
            return Reply(pending, "text/html", CannotShowPage(path, result.reason));
        QFile show(result.showPath);
        if (!show.open(QIODevice::ReadOnly))
            return Reply(pending, "text/html", CannotShowPage(path, QObject::tr("The converted slide show cannot be read.")));
        // The browser draws the faces the suite laid the lines out with, not wider ones, and
        // the symbols of a missing symbol font rather than its letters.
        const FontResolver& fonts = FontResolver::Shared();
        const QByteArray drawn =
            WithViewerScript(WithEffectRepairs(WithMotionPaths(WithSymbolText(WithDrawnFonts(show.readAll(), fonts), fonts))));
        Reply(pending, "image/svg+xml", showClock ? WithShowClock(drawn) : drawn);
    });
}
