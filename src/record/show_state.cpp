// SPDX-License-Identifier: GPL-3.0-or-later
#include "record/show_state.h"

#include "record/sample_grid.h"

bool ReadyToRecord(PageState state)
{
    return state != PageState::Loading;
}

bool ShowHasEnded(const Picture& grabbed, PageState state, const SampleScale& scale)
{
    if (!IsEndOfShow(grabbed, scale))
        return false;
    switch (state) {
    case PageState::Slide:
    case PageState::CannotShow:
        return false;
    case PageState::Loading:
    case PageState::Page:
    case PageState::EndScreen:
        break;
    }
    return true;
}
