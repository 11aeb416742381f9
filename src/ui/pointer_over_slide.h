// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the presenter's pointer stands over the slide of the show's view, for a performance's
// log: as fractions of the slide, so that a rendering at any size puts it on the same spot.

#include "core/performance_log.h"
#include "platform/screen_grabber.h"

#include <optional>

class QWidget;

// The pointer over slideArea (in view's pixels; the whole view when empty) and the shape the
// page gave it there; nothing when it is elsewhere.
std::optional<PointerSample> PointerOverSlide(const QWidget& view, const ScreenRect& slideArea);
