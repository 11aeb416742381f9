// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/x11/x11_cursor_source.h"

#include "platform/x11/x11_connection.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

struct X11CursorSource::Impl {
    X11Connection connection;
    bool checked = false;
    bool available = false;
};

X11CursorSource::X11CursorSource()
    : d(std::make_unique<Impl>())
{
}

X11CursorSource::~X11CursorSource() = default;

bool X11CursorSource::CurrentCursor(CursorImage& cursor)
{
    Display* dpy = d->connection.display();
    if (!dpy)
        return false;
    if (!d->checked) {
        d->checked = true;
        int eventBase = 0, errorBase = 0;
        d->available = XFixesQueryExtension(dpy, &eventBase, &errorBase);
    }
    if (!d->available)
        return false;
    XFixesCursorImage* image = XFixesGetCursorImage(dpy);
    if (!image)
        return false;
    cursor.width = image->width;
    cursor.height = image->height;
    cursor.xhot = image->xhot;
    cursor.yhot = image->yhot;
    // One pixel per unsigned long, whatever its size: take the low 32 bits of each.
    const size_t count = static_cast<size_t>(image->width) * image->height;
    cursor.pixels.resize(count);
    for (size_t i = 0; i < count; ++i)
        cursor.pixels[i] = static_cast<uint32_t>(image->pixels[i]);
    XFree(image);
    return count > 0;
}
