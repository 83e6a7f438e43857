// dialog_placement.cpp: the dialog's window on FLTK's X display (FLTK 1.3 draws with Xlib
// on Linux). Each request is made only while FLTK has its display open.
#include "platform/live/x11/dialog_placement_local.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>
#include <X11/Xatom.h>

#include <vector>

#include "platform/live/x11/window_frame_local.h"
#include "platform/live/x11/window_manager_check.h"

namespace {

// How often, and for how long, a shown dialog looks whether a window manager has taken it
// on, so that its frame can be placed. A window manager that is still starting (a demo run
// from a session's autostart) may take seconds.
constexpr double kManageCheckSeconds = 0.02;
constexpr Uint32 kManageTimeoutMs = 30000;

// The X window of a shown FLTK window; 0 while there is none.
Window XWindowOf(Fl_Window* window) { return fl_display ? fl_xid(window) : 0; }

void SetAtoms(Window xid, const char* property, const std::vector<Atom>& atoms) {
    std::vector<long> values(atoms.begin(), atoms.end());
    XChangeProperty(fl_display, xid, XInternAtom(fl_display, property, False), XA_ATOM, 32,
                    PropModeReplace, reinterpret_cast<unsigned char*>(values.data()),
                    static_cast<int>(values.size()));
}

// FLTK places the client area where it is told; the position given is the frame's, so
// the client area moves in by the frame a window manager added. That frame is known only
// once the window manager has taken the window on.
void PlaceFrameOnceManaged(void* data) {
    auto* placement = static_cast<live::FramePlacement*>(data);
    Window xid = XWindowOf(placement->window);
    if (!xid || !live::WindowManagerRunning(fl_display)) return;
    if (!live::WindowManaged(fl_display, xid)) {
        if (SDL_GetTicks() - placement->startedAt < kManageTimeoutMs)
            Fl::add_timeout(kManageCheckSeconds, PlaceFrameOnceManaged, data);
        return;
    }
    live::FrameExtents frame;
    if (!live::ReadFrameExtents(fl_display, xid, &frame)) return;
    placement->window->position(placement->x + frame.left, placement->y + frame.top);
    Fl::flush();
    XSync(fl_display, False);
}

}  // namespace

namespace live {

bool OpenDialogDisplay() {
    if (fl_display) return true;
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    fl_open_display(display);
    return true;
}

// Motif hints and the EWMH dialog type. Window managers that only read these when they
// take a window on keep their usual frame.
void UseDialogFrame(Fl_Window* window) {
    Window xid = XWindowOf(window);
    if (!xid) return;
    enum : long { kFunctions = 1, kDecorations = 2, kFunctionMove = 4, kFunctionClose = 32 };
    enum : long { kDecorationBorder = 2, kDecorationTitle = 8, kDecorationMenu = 16 };
    long hints[5] = {kFunctions | kDecorations, kFunctionMove | kFunctionClose,
                     kDecorationBorder | kDecorationTitle | kDecorationMenu, 0, 0};
    Atom motif = XInternAtom(fl_display, "_MOTIF_WM_HINTS", False);
    XChangeProperty(fl_display, xid, motif, motif, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(hints), 5);
    SetAtoms(xid, "_NET_WM_WINDOW_TYPE",
             {XInternAtom(fl_display, "_NET_WM_WINDOW_TYPE_DIALOG", False)});
}

// Raised now, and marked "above" for the window manager (EWMH _NET_WM_STATE_ABOVE) where
// one runs: FLTK 1.3 has no "always on top" of its own.
void KeepOnTop(Fl_Window* window) {
    Window xid = XWindowOf(window);
    if (!xid) return;
    XRaiseWindow(fl_display, xid);
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = xid;
    event.xclient.message_type = XInternAtom(fl_display, "_NET_WM_STATE", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = 1;  // add the state
    event.xclient.data.l[1] =
        static_cast<long>(XInternAtom(fl_display, "_NET_WM_STATE_ABOVE", False));
    event.xclient.data.l[3] = 1;  // asked by an application
    XSendEvent(fl_display, DefaultRootWindow(fl_display), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XFlush(fl_display);
}

void PlaceFrame(FramePlacement* placement) {
    StopPlacingFrame(placement);
    placement->startedAt = SDL_GetTicks();
    PlaceFrameOnceManaged(placement);
}

void StopPlacingFrame(FramePlacement* placement) {
    Fl::remove_timeout(PlaceFrameOnceManaged, placement);
}

void SyncDialogDisplay() {
    if (fl_display) XSync(fl_display, False);
}

}  // namespace live
