// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where a recording's pictures come from, bound to the show rather than to a screen: the
// session asks it for the show's picture of each slot and tells it to perform the slide
// actions. A grab of the browser's area of the screen is one source; a rendering of the
// browser view itself would be another, and neither the session nor the exporters ask which
// one they have.

#include "core/performance_log.h"
#include "core/picture.h"
#include "platform/browser_control.h"
#include "record/sample_grid.h"

#include <optional>

class FrameSource {
public:
    virtual ~FrameSource() = default;

    // A session starts: fixes the part of the show that is recorded, and with it the size of
    // every picture until the next call.
    virtual void BeginSession() = 0;
    // The show's picture now, 24-bit at the capture size, without the pointer. Never throws:
    // a picture that cannot be taken comes out black.
    virtual void Grab(Picture& picture) = 0;
    // Draws the pointer into the picture of the last Grab, where it stood at that grab; a
    // source that has no pointer leaves the picture as it is.
    virtual void DrawPointer(Picture& picture) = 0;
    // Where the blank test looks in this source's pictures.
    virtual SampleScale Scale() const = 0;

    // True when the show is over (the viewer's end screen). Asked also outside a session.
    virtual bool ShowHasEnded() = 0;
    // Moves the show on by one step, as a click into it does.
    virtual void PerformSlideAction() = 0;
    // A slide action of a performance's log; a source that takes only clicks performs the
    // steps a click performs and leaves the others.
    virtual void PerformSlideStep(SlideStep step)
    {
        if (step == SlideStep::Next)
            PerformSlideAction();
    }
    // Where the pointer of a rendered performance stands for the next pictures (nothing: not
    // over the slide); a source with a pointer of its own ignores it.
    virtual void PointAt(const std::optional<PointerSample>& sample) { (void)sample; }
    // The slide on screen as the show reported it; number 0 when it reports none.
    virtual ShownSlide CurrentSlide() { return {}; }
    // The show has set itself a time to move on, this many ms after it did (-1: it has not):
    // the recorder clicks no step of its own then, unless that time has long passed.
    virtual int SelfAdvanceMs() { return -1; }
};
