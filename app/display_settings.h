// display_settings.h: the display settings, the output window and its rendering context.
#pragma once

#include "platform/win32.h"

// The size the show is drawn at (pixels), full screen or in a window.
const int kShowWidth = 640;
const int kShowHeight = 480;

class DisplaySettings {
public:
    int fullScreen;  // 1: full screen, the display mode asked for at the window's size;
                     // 0: an ordinary window
    int width;       // pixels: the window's size when created, then the client size (WM_SIZE)
    int height;

    DisplaySettings();

    // A modal "Error !" box with the error icon; returns the box's result.
    int ReportError(const char* text);
    // Registers the class, switches the mode when full screen (16 bits per pixel, else the
    // desktop's depth), creates the window, its pixel format and its current rendering
    // context. 1 with the three handles, or 0 after releasing what was made (and, except
    // for a refused mode, one "Error !" box).
    int OpenWindow(HINSTANCE instance, WNDPROC windowProc, HWND* window, HDC* deviceContext,
                   HGLRC* renderingContext);
    // Stores the client size and sets the viewport over it; returns 1.
    int Resize(int newWidth, int newHeight);
    // Restores the display mode and cursor (full screen), then releases whichever of the
    // three handles are non-null; a failing step shows a "SHUTDOWN ERROR" box. Returns 1.
    int ReleaseWindow(HWND window, HDC deviceContext, HGLRC renderingContext);
};
