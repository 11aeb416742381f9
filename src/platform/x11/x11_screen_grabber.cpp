// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/x11/x11_screen_grabber.h"

#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_pixels.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <algorithm>
#include <sys/ipc.h>
#include <sys/shm.h>

struct X11ScreenGrabber::Impl {
    X11Connection connection;
    bool shmTried = false;
    bool shmUsable = false;
    XShmSegmentInfo segment{};
    size_t segmentBytes = 0;
    XImage* image = nullptr; // header over the segment, sized to the last grab

    ~Impl()
    {
        releaseImage();
        releaseSegment();
    }

    void releaseImage()
    {
        if (!image)
            return;
        image->data = nullptr; // the segment is not the image's to free
        XDestroyImage(image);
        image = nullptr;
    }

    void releaseSegment()
    {
        if (segmentBytes == 0)
            return;
        XShmDetach(connection.display(), &segment);
        connection.SyncAndTakeError();
        shmdt(segment.shmaddr);
        segment = {};
        segmentBytes = 0;
    }

    void disableSharedMemory()
    {
        releaseImage();
        releaseSegment();
        shmUsable = false;
    }

    // An image of w x h on the shared segment, growing the segment when it is too small.
    XImage* sharedImage(Display* dpy, int w, int h)
    {
        if (!shmTried) {
            shmTried = true;
            shmUsable = XShmQueryExtension(dpy);
        }
        if (!shmUsable)
            return nullptr;
        if (image && image->width == w && image->height == h)
            return image;
        releaseImage();
        const int screen = DefaultScreen(dpy);
        image = XShmCreateImage(dpy, DefaultVisual(dpy, screen), DefaultDepth(dpy, screen), ZPixmap, nullptr, &segment, w, h);
        if (!image) {
            disableSharedMemory();
            return nullptr;
        }
        const size_t needed = static_cast<size_t>(image->bytes_per_line) * h;
        if (needed > segmentBytes && !attachSegment(dpy, needed)) {
            disableSharedMemory();
            return nullptr;
        }
        image->data = segment.shmaddr;
        return image;
    }

    bool attachSegment(Display* dpy, size_t bytes)
    {
        releaseSegment();
        const int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
        if (id < 0)
            return false;
        void* address = shmat(id, nullptr, 0);
        // Marked for removal at once: the segment goes away with the last detach, even if we crash.
        shmctl(id, IPC_RMID, nullptr);
        if (address == reinterpret_cast<void*>(-1))
            return false;
        segment.shmid = id;
        segment.shmaddr = static_cast<char*>(address);
        segment.readOnly = False;
        if (!XShmAttach(dpy, &segment) || connection.SyncAndTakeError() != 0) {
            // A server on another machine cannot share our memory.
            shmdt(address);
            segment = {};
            return false;
        }
        segmentBytes = bytes;
        return true;
    }
};

X11ScreenGrabber::X11ScreenGrabber()
    : d(std::make_unique<Impl>())
{
}

X11ScreenGrabber::~X11ScreenGrabber() = default;

bool X11ScreenGrabber::usesSharedMemory() const
{
    return !d->shmTried || d->shmUsable;
}

bool X11ScreenGrabber::CanCapture()
{
    return d->connection.display() != nullptr;
}

void X11ScreenGrabber::GrabScreen(Picture& picture, const ScreenRect& rect)
{
    const int w = std::max(0, rect.width());
    const int h = std::max(0, rect.height());
    if (picture.width() != w || picture.height() != h || picture.pixelFormat() != TPixelFormat::pf24bit)
        picture.reset(w, h);
    Display* dpy = d->connection.display();
    if (!dpy || w == 0 || h == 0)
        return;

    // Only the part on the screen can be grabbed; asking for more fails with BadMatch.
    const Window root = DefaultRootWindow(dpy);
    XWindowAttributes rootAttributes{};
    XGetWindowAttributes(dpy, root, &rootAttributes);
    const int left = std::max(rect.left, 0);
    const int top = std::max(rect.top, 0);
    const int right = std::min(rect.right, rootAttributes.width);
    const int bottom = std::min(rect.bottom, rootAttributes.height);
    const bool clipped = left != rect.left || top != rect.top || right != rect.right || bottom != rect.bottom;
    if (clipped)
        std::fill(picture.bits(), picture.bits() + picture.byteCount(), 0);
    if (right <= left || bottom <= top)
        return;
    const int cw = right - left;
    const int ch = bottom - top;

    if (XImage* shared = d->sharedImage(dpy, cw, ch)) {
        const bool ok = XShmGetImage(dpy, root, shared, left, top, AllPlanes);
        if (d->connection.SyncAndTakeError() == 0 && ok) {
            CopyXImageToPicture(shared, picture, left - rect.left, top - rect.top);
            return;
        }
        d->disableSharedMemory();
    }
    XImage* image = XGetImage(dpy, root, left, top, static_cast<unsigned>(cw), static_cast<unsigned>(ch), AllPlanes, ZPixmap);
    const int error = d->connection.SyncAndTakeError();
    if (image && error == 0)
        CopyXImageToPicture(image, picture, left - rect.left, top - rect.top);
    else if (!clipped)
        std::fill(picture.bits(), picture.bits() + picture.byteCount(), 0);
    if (image)
        XDestroyImage(image);
}
