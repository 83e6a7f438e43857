// window_manager_check.h: whether a window manager runs on an X display, and whether it
// has taken a window on. Header-only Xlib, so that the end-to-end tests ask the display
// the same questions the live layer asks.
#pragma once

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace live {

// A window manager that follows EWMH names its check window on the root window
// (_NET_SUPPORTING_WM_CHECK); before one starts, the atom may not even exist.
inline bool WindowManagerRunning(Display* display) {
    Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
    if (check == None) return false;
    Atom type;
    int format;
    unsigned long count, remaining;
    unsigned char* data = nullptr;
    bool running =
        XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, XA_WINDOW,
                           &type, &format, &count, &remaining, &data) == Success &&
        type == XA_WINDOW && count == 1;
    if (data) XFree(data);
    return running;
}

// Whether a window manager has taken the window on: it sets WM_STATE on each window it
// manages, once it has framed it.
inline bool WindowManaged(Display* display, ::Window window) {
    Atom type = None;
    int format;
    unsigned long count, remaining;
    unsigned char* data = nullptr;
    XGetWindowProperty(display, window, XInternAtom(display, "WM_STATE", False), 0, 1, False,
                       AnyPropertyType, &type, &format, &count, &remaining, &data);
    if (data) XFree(data);
    return type != None;
}

}  // namespace live
