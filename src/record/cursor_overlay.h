// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Draws the mouse cursor into a grabbed picture.

#include "core/picture.h"
#include "platform/cursor_source.h"

// Blends cursor "over" the 24-bit picture with its hot spot at (x, y), relative to the
// picture's top-left corner; parts outside the picture are clipped.
void DrawCursorOverlay(Picture& picture, int x, int y, const CursorImage& cursor);
