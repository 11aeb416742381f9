// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The pointer's pictures for a show rendered after its performance: no screen shows a pointer
// then, so each shape the log names is drawn from a picture of its own, in the look of the
// desktop's usual black-edged white shapes.

#include "core/performance_log.h"
#include "platform/cursor_source.h"

const CursorImage& PointerImage(PointerShape shape);
