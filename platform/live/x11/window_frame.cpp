// window_frame.cpp: frame extents from the window manager (EWMH _NET_FRAME_EXTENTS).
#include "platform/live/x11/window_frame_local.h"
#include "platform/live/x11/window_manager_check.h"

#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

// How long a window manager gets to answer a frame-extents request.
constexpr Uint32 kAnswerTimeoutMs = 1000;

bool ReadProperty(Display* display, Window window, Atom property, live::FrameExtents* extents) {
    Atom type;
    int format;
    unsigned long count, remaining;
    unsigned char* data = nullptr;
    bool found = XGetWindowProperty(display, window, property, 0, 4, False, XA_CARDINAL, &type,
                                    &format, &count, &remaining, &data) == Success &&
                 type == XA_CARDINAL && format == 32 && count == 4;
    if (found) {
        const long* values = reinterpret_cast<const long*>(data);
        extents->left = static_cast<int>(values[0]);
        extents->right = static_cast<int>(values[1]);
        extents->top = static_cast<int>(values[2]);
        extents->bottom = static_cast<int>(values[3]);
    }
    if (data) XFree(data);
    return found;
}

void RequestExtents(Display* display, Window window) {
    XEvent request = {};
    request.xclient.type = ClientMessage;
    request.xclient.window = window;
    request.xclient.message_type = XInternAtom(display, "_NET_REQUEST_FRAME_EXTENTS", False);
    request.xclient.format = 32;
    XSendEvent(display, DefaultRootWindow(display), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &request);
    XFlush(display);
}

}  // namespace

namespace live {

bool ReadFrameExtents(SDL_Window* window, FrameExtents* extents) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
    return ReadFrameExtents(info.info.x11.display, info.info.x11.window, extents);
}

bool ReadFrameExtents(Display* display, unsigned long xwindow, FrameExtents* extents) {
    if (!WindowManagerRunning(display)) return false;
    Atom property = XInternAtom(display, "_NET_FRAME_EXTENTS", False);
    if (ReadProperty(display, xwindow, property, extents)) return true;
    RequestExtents(display, xwindow);
    Uint32 start = SDL_GetTicks();
    while (SDL_GetTicks() - start < kAnswerTimeoutMs) {
        XSync(display, False);
        if (ReadProperty(display, xwindow, property, extents)) return true;
        SDL_Delay(2);
    }
    return false;
}

}  // namespace live
