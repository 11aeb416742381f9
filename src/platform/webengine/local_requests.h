// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The browser's side of the remote-content setting (platform/remote_content.h): a page loads
// from the network only when the program allows it.

#include <QWebEngineUrlRequestInterceptor>

class QUrl;

// Where a page may load from without reaching the network: the show's own scheme, local
// files, data the page carries, blank pages.
bool IsLocalUrl(const QUrl& url);

// Installed on a browser profile: a request that would leave the machine is blocked unless
// remote content is allowed.
class LocalRequestsOnly : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo& info) override;
};
