// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The "deckrec-show" URL scheme (platform/show_source.h) in the browser.

#include "platform/show_source.h"

#include <QWebEngineUrlSchemeHandler>

// Must run before the first browser exists (best: before the QApplication is created).
void RegisterPresentationScheme();

class PresentationSchemeHandler : public QWebEngineUrlSchemeHandler {
    Q_OBJECT
public:
    // Shows come from shows (not owned), which outlives the handler.
    explicit PresentationSchemeHandler(ShowSource& shows, QObject* parent = nullptr);
    void requestStarted(QWebEngineUrlRequestJob* job) override;

private:
    ShowSource& shows_;
};
