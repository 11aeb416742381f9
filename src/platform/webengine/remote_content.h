// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a deck may reach on the network. A picture a deck links by a network address would be
// fetched by LibreOffice while it converts the deck, and a show may name more that the browser
// would load: a tracking pixel tells a stranger who opened the deck and when, and on a batch
// server the address may be an internal one. By default nothing is fetched: such a picture is
// drawn as the suite draws a link it cannot follow, and one warning names the pictures.
//
// The setting is the program's, as its check box in the windows is: every conversion and every
// browser reads it when it starts a conversion or a request.

#include <QString>
#include <QStringList>
#include <QWebEngineUrlRequestInterceptor>
#include <atomic>

class QUrl;

void AllowRemoteContent(bool allowed);
bool RemoteContentAllowed();

// Where a page may load from without reaching the network: the show's own scheme, local
// files, data the page carries, blank pages.
bool IsLocalUrl(const QUrl& url);

// The network addresses of the pictures a deck links, from the deck as flat ODF (LibreOffice
// keeps a link's address when it converts a .pptx, also one it could not fetch): each once,
// in the order they appear. A link to a local file is not among them.
QStringList RemotePictureLinks(const QByteArray& flatOdf);

// The warning naming them: "the deck links 2 pictures on the network; they are drawn as
// missing links: http://..., http://...".
QString RemotePicturesWarning(const QStringList& links);

// Installed on a browser profile: a request that would leave the machine is blocked unless
// remote content is allowed.
class LocalRequestsOnly : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo& info) override;
};
