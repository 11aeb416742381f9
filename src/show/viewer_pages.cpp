// SPDX-License-Identifier: GPL-3.0-or-later
#include "show/viewer_pages.h"
#include "show/show_document.h"

namespace {


QByteArray HtmlEscaped(const QString& text)
{
    return text.toHtmlEscaped().replace(QLatin1Char('\''), QStringLiteral("&#39;")).toUtf8();
}

} // namespace

QByteArray WithViewerScript(const QByteArray& show)
{
    // The suite lays text out with the fonts' own outlines and fractional advances; by default
    // the browser hints glyphs and rounds their places to whole pixels, so that a line drifts
    // from where the suite put its words. Set on the root, before any script measures a line.
    return WithPageScript(WithRootAttribute(show, "text-rendering", "geometricPrecision"), QStringLiteral("viewer"));
}

QByteArray CannotShowPage(const QString& presentationPath, const QString& reason)
{
    QByteArray page =
        "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Cannot show the presentation</title>\n"
        "<style>html,body{margin:0;height:100%;background:#f2f2f2;color:#202020;font:15px sans-serif}"
        "div{padding:40px 32px}h1{font-size:20px;margin:0 0 16px}p{margin:8px 0;word-break:break-all}</style>"
        "</head><body><div><h1>This presentation cannot be shown</h1><p><b>File:</b> ";
    page += HtmlEscaped(presentationPath);
    page += "</p><p><b>Reason:</b> ";
    page += HtmlEscaped(reason);
    page += "</p></div><script>parent.postMessage({ deckrecFrameUrl: location.href }, '*');"
            // Told once painted, as the show's states are.
            "addEventListener('load', function () { requestAnimationFrame(function () { requestAnimationFrame(function () {"
            " parent.postMessage({ deckrecShowState: 'cannot-show' }, '*'); }); }); });</script></body></html>\n";
    return page;
}
