// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/no_screen_capture.h"

#include <algorithm>

void NoScreenGrabber::GrabScreen(Picture& picture, const ScreenRect& rect)
{
    picture.reset(std::max(0, rect.width()), std::max(0, rect.height()));
    std::fill(picture.bits(), picture.bits() + picture.byteCount(), 0);
}
