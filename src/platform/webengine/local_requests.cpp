// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/webengine/local_requests.h"

#include "platform/remote_content.h"
#include "platform/show_source.h"

#include <QStringList>
#include <QUrl>
#include <QWebEngineUrlRequestInfo>

bool IsLocalUrl(const QUrl& url)
{
    static const QStringList kLocalSchemes = {
        QString::fromLatin1(kPresentationScheme), "file", "data", "blob", "about", "qrc"};
    return kLocalSchemes.contains(url.scheme().toLower());
}

void LocalRequestsOnly::interceptRequest(QWebEngineUrlRequestInfo& info)
{
    if (!RemoteContentAllowed() && !IsLocalUrl(info.requestUrl()))
        info.block(true);
}
