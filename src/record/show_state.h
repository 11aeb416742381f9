// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The recorder's two questions about the page in the browser: may a recording start on it, and
// has the show ended.

#include "core/picture.h"
#include "platform/browser_control.h"
#include "record/sample_grid.h"

// Start Record waits until the page is loaded and, for the presentation viewer, until it shows
// its first slide or says why it cannot: otherwise the border trim and the first frames would
// come from the loading page.
bool ReadyToRecord(PageState state);

// A page opened to render a show is ready once the viewer shows its first slide or says why it
// cannot: a late report of about:blank or of the generated page itself is no slide yet.
inline bool ShowIsOpen(PageState state)
{
    return state == PageState::Slide || state == PageState::CannotShow;
}

// Next Action ends the session on a black presentation area (rows 151 to 350 black at every
// sample column). On the presentation viewer, black ends it only at the viewer's end screen: a
// dark slide, a slide whose pictures come on a click and a fade through black are black too.
// The sample positions follow scale, that of the untrimmed capture.
bool ShowHasEnded(const Picture& grabbed, PageState state, const SampleScale& scale = {});
