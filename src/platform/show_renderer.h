// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A show that runs on the recorder's clock and is drawn by the browser view itself, not taken
// from a screen: the recorder moves its time on, performs its slide actions and takes the
// view's rendering of each moment.

#include "core/performance_log.h"
#include "core/picture.h"
#include "platform/browser_control.h"
#include "platform/screen_grabber.h"

class ShowRenderer {
public:
    virtual ~ShowRenderer() = default;

    // Takes the show's time off the wall clock: from now on it moves only by Advance.
    virtual void HoldClock() = 0;
    // Moves the show's time on by ms, runs what falls due, and returns once the view has
    // painted that moment; handles the window messages at least once. Throws DeckrecError when
    // the page does not answer within a bounded wait.
    virtual void Advance(int ms) = 0;
    // A click into the show at its present moment, and what it starts at once, painted.
    virtual void SlideAction() = 0;
    // Any other slide action of a performance (a step back, a jump), as its key gives it to the
    // show at its present moment, painted. A renderer that takes only clicks performs a click's.
    virtual void SlideStepAction(SlideStep step)
    {
        if (step == SlideStep::Next)
            SlideAction();
    }
    // The view's rendering now, 24-bit, the whole view. Never throws.
    virtual void Render(Picture& picture) = 0;
    // Whether the show drew anything new since the last Render.
    virtual bool ChangedSinceRender() const = 0;
    // The show is at its end screen (as of the last Advance or SlideAction).
    virtual bool Ended() const = 0;
    // The slide shown and, when the show will move on by itself, after how many ms it said
    // (-1: it will not), as of the last step.
    virtual ShownSlide CurrentSlide() const { return {}; }
    virtual int SelfAdvanceMs() const { return -1; }
    // The slide's rectangle in the view, as the page laid it out; empty when not known.
    virtual ScreenRect SlideArea() const { return {}; }
};
