#pragma once
// The recorder's embedded browser: navigation and the navigation-complete event for the page
// and for each of its frames.

#include <QObject>
#include <QString>

class QWidget;

class BrowserControl : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // The widget that shows the page; the control's owner places it.
    virtual QWidget* widget() = 0;
    // target is "about:blank" or the full path of a local page.
    virtual void Navigate(const QString& target) = 0;
    // Gives the keyboard focus to the presentation the page shows.
    virtual void FocusPresentation() = 0;

signals:
    // A navigation of the page or of one of its frames completed; url as text.
    void NavigateComplete2(const QString& url);
};
