// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/webengine/presentation_scheme.h"

#include <QBuffer>
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

PresentationSchemeHandler::PresentationSchemeHandler(ShowSource& shows, QObject* parent)
    : QWebEngineUrlSchemeHandler(parent)
    , shows_(shows)
{
}

void PresentationSchemeHandler::requestStarted(QWebEngineUrlRequestJob* job)
{
    // A page on the show clock asks for the show with the clock inside it.
    const bool showClock = job->requestUrl().query() == QLatin1String("clock=show");
    QPointer<QWebEngineUrlRequestJob> pending(job);
    shows_.ServeShow(job->requestUrl().path(), showClock, [pending](const ServedPage& page) {
        if (pending) // else the frame navigated elsewhere meanwhile
            Reply(pending, page.mimeType, page.content);
    });
}
