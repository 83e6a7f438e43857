// dialog_placement_local.h: the dialog's window on the X display, where FLTK leaves it to
// Xlib: opening the display, the dialog's kind of frame, staying above other windows, and
// the frame's corner where SetWindowPos put it.
#pragma once

#include <SDL.h>

class Fl_Window;

namespace live {

// Opens FLTK's display here, since FLTK ends the process when it cannot open it itself;
// false when there is no display.
bool OpenDialogDisplay();

// Asks the window manager for a dialog's frame on a shown window: a caption with a close
// button, no minimise or maximise button, no resizing.
void UseDialogFrame(Fl_Window* window);
// Keeps a shown window above other windows.
void KeepOnTop(Fl_Window* window);

// A window whose frame, rather than its client area, goes to (x, y).
struct FramePlacement {
    Fl_Window* window = nullptr;
    int x = 0, y = 0;
    Uint32 startedAt = 0;  // SDL ticks when the placement was last asked for
};
// Moves the shown window's client area in by the frame the window manager adds, once it
// has framed the window: checked again shortly until then, while the dialog runs.
void PlaceFrame(FramePlacement* placement);
void StopPlacingFrame(FramePlacement* placement);

// Waits until the X server has carried out every request sent so far.
void SyncDialogDisplay();

}  // namespace live
