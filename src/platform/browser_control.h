// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The recorder's embedded browser: navigation, the navigation-complete event for the page and
// for each of its frames, and what the page shows as far as recording cares.

#include <QObject>
#include <QString>
#include <string>

#include "core/slide_timeline.h"
#include "platform/screen_grabber.h"

class ShowRenderer;
class QWidget;

// What the browser shows. The presentation viewer knows where its show stands; the recorder
// asks it rather than guessing from the colours on screen, because a dark slide or a fade
// through black looks like the end.
enum class PageState {
    Loading,    // a navigation is under way, or the viewer has not shown its first slide yet
    Page,       // a loaded page that plays no presentation (about:blank among them)
    Slide,      // the viewer shows a slide
    EndScreen,  // the viewer shows its black end screen: the show is over
    CannotShow, // the viewer's page that says why the presentation cannot be shown
};

class BrowserControl : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // The widget that shows the page; the control's owner places it.
    virtual QWidget* widget() = 0;
    // target is "about:blank" or the full path of a local page. The state becomes Loading at once.
    virtual void Navigate(const QString& target) = 0;
    // Gives the keyboard focus to the presentation the page shows.
    virtual void FocusPresentation() = 0;
    virtual PageState State() const = 0;
    // The viewer reports a slide as soon as it becomes current, ahead of the URL relay that
    // feeds the caption.
    virtual ShownSlide CurrentSlide() const { return {}; }
    // The show has set itself a time to move on (a slide the deck advances by itself): the ms
    // it set, -1 when it has not.
    virtual int SelfAdvanceMs() const { return -1; }
    // Where the viewer laid the slide out in the view's pixels; empty before it has, or when
    // the browser cannot tell.
    virtual ScreenRect SlideArea() const { return {}; }
    // Whether pages opened from now on keep the deck's own slide timings; without them every
    // step waits for a click.
    virtual void SetDeckTimings(bool keep) { (void)keep; }

    // Pages opened from now on run on a show clock the recorder moves on (or again on the wall
    // clock); a browser that has none ignores it.
    virtual void UseShowClock(bool on) { (void)on; }
    // The show on that clock, while UseShowClock is on; null otherwise or without one.
    virtual ShowRenderer* showRenderer() { return nullptr; }

signals:
    // A navigation of the page or of one of its frames completed; url as text.
    void NavigateComplete2(const QString& url);
    // State() changed.
    void StateChanged(PageState state);
};
