// live_local.h: what the files of the live platform layer share: window records, the
// start of SDL's video subsystem, the full-screen modes and the desktop guard.
#pragma once

#include <SDL.h>

#include <memory>
#include <string>

#include "platform/win32.h"

namespace live {

// The X server's scaling of a window's picture (x11/server_scaling_local.h). A window
// holds one only if SDL made it through X11.
class ServerScaler;
struct ServerScalerDeleter {
    void operator()(ServerScaler* scaler) const;  // defined in x11/
};
using ServerScalerPointer = std::unique_ptr<ServerScaler, ServerScalerDeleter>;

// A window made by CreateWindowExA. Its handle is the record's address, checked against
// the list of open windows before any use.
struct Window {
    std::string className;
    WNDPROC procedure = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    SDL_Window* sdlWindow = nullptr;
    int outerWidth = 0;  // pixels, frame and caption included for framed windows
    int outerHeight = 0;
    bool fullScreen = false;  // covers the display in the changed mode
    // Covers the display in the desktop's own mode and shows a picture of pictureWidth x
    // pictureHeight, drawn offscreen and scaled up at each swap.
    bool scaled = false;
    int pictureWidth = 0;
    int pictureHeight = 0;
    // Shows the scaled picture with software GL; null for a window of another SDL video
    // driver, which GL then shows alone.
    ServerScalerPointer serverScaler;
    bool frameApplied = false;  // the client area was fitted into the outer size
    int clientWidth = -1;       // the size last reported by WM_SIZE
    int clientHeight = -1;
    int pixelFormat = 0;  // 0 until SetPixelFormat
};

// The record of an open window, or null for an unknown handle.
Window* FindWindow(HWND handle);
// The open window SDL knows by this id, or null.
Window* FindWindowBySdlId(Uint32 windowId);
HWND HandleOf(Window* window);
// The device context of a window is the window's own handle in another type (CS_OWNDC).
Window* FindWindowByDc(HDC dc);
HDC DcOf(Window* window);

// Calls the window's procedure; 0 for an unknown window.
LRESULT SendToWindow(Window* window, UINT message, WPARAM wParam, LPARAM lParam);
// Sends WM_SIZE with the window's client size as SDL reports it, unless it was already sent.
void ReportClientSize(Window* window, bool minimised);
// Makes a framed window's outer size (frame included) the size it was created with, once
// the window manager has framed it. Only an X11 window manager is asked for the frame
// (x11/window_frame.cpp); elsewhere the client area keeps the size the window was made with.
void FitClientIntoOuterSize(Window* window);

// Starts SDL's video subsystem and sets the GL attributes every window is made with.
// false when no display can be opened; the reason is left in SDL_GetError.
bool StartVideo();
bool VideoStarted();

// Takes every full-screen window out of full screen, which gives the display back its
// desktop mode.
void LeaveFullScreen();

// The mode a full-screen window is given while a full-screen mode is set by
// ChangeDisplaySettingsA; false when the desktop's own mode is in force.
bool FullScreenModeSet(SDL_DisplayMode* mode);
// The picture size of a scaled full-screen window while ChangeDisplaySettingsA has set
// scaled full screen (the desktop keeps its mode); false otherwise.
bool ScaledModeSet(int* width, int* height);
// The display a scaled full-screen window covers: the one the dialog was on, else the first.
int ShowDisplay();
// The centre of the last dialog shown, in screen pixels; false before any dialog closed.
bool LastDialogCentre(SDL_Point* centre);
// Puts the display back into the desktop's mode and shows the cursor; safe to call at any
// time and more than once.
void RestoreDesktop();
// Installs, once, the handlers that restore the desktop however the process ends.
void InstallDesktopGuard();
// Ends the process now if a termination signal arrived, after restoring the desktop.
// Called where the program's thread passes regularly (message pumping).
void HandlePendingTermination();

// The dialog realises SetWindowPos on its own window; false when window is not a dialog.
bool SetDialogPos(HWND window, HWND insertAfter, int x, int y, UINT flags);

}  // namespace live
