// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the browser gets the playable show of a deck: deckrec-show:/path/of/deck.ppt answers
// with the show made from that file, or with a page that says why it cannot be shown.

#include <QByteArray>
#include <QString>
#include <functional>

constexpr const char* kPresentationScheme = "deckrec-show";

struct ServedPage {
    QByteArray mimeType; // "image/svg+xml" for a show, "text/html" for a page saying why not
    QByteArray content;
};

class ShowSource {
public:
    virtual ~ShowSource() = default;
    // Calls done exactly once, on this thread, with the show of deckPath as the page plays it
    // (with the show clock inside it when showClock), or with the page saying why it cannot be.
    virtual void ServeShow(const QString& deckPath, bool showClock, std::function<void(const ServedPage&)> done) = 0;
};
