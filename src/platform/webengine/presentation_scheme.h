// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The "deckrec-show" URL scheme: deckrec-show:/path/of/deck.ppt answers with the playable
// slide show of that file, or with a page that says why it cannot be shown.

#include <QWebEngineUrlSchemeHandler>

class PresentationConverter;

constexpr const char* kPresentationScheme = "deckrec-show";

// Must run before the first browser exists (best: before the QApplication is created).
void RegisterPresentationScheme();

class PresentationSchemeHandler : public QWebEngineUrlSchemeHandler {
    Q_OBJECT
public:
    // Shows come from converter (not owned), which outlives the handler.
    explicit PresentationSchemeHandler(PresentationConverter& converter, QObject* parent = nullptr);
    void requestStarted(QWebEngineUrlRequestJob* job) override;

private:
    PresentationConverter& converter_;
};
