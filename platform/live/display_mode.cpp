// display_mode.cpp: display modes and the cursor over SDL2 display modes.
// Provides ChangeDisplaySettingsA, EnumDisplaySettingsA and ShowCursor.
//
// A full-screen request leaves the desktop's mode alone wherever the GL driver can draw
// offscreen: the show's window then covers the display and its picture is scaled up to
// it (offscreen_frame.cpp). Only without that does the request change the display's mode,
// and then only to a mode of exactly the size asked for.
#include <cstring>

#include "platform/live/live_local.h"
#include "platform/live/offscreen_frame_local.h"

namespace {

bool fullScreenModeSet = false;
SDL_DisplayMode fullScreenMode;
bool scaledModeSet = false;
int scaledWidth = 0, scaledHeight = 0;
int cursorCounter = 0;  // the cursor shows while this is 0 or more

// The display the show's windows open on.
constexpr int kDisplay = 0;

void FillDevMode(const SDL_DisplayMode& from, DEVMODEA* mode) {
    WORD size = mode->dmSize;
    std::memset(mode, 0, sizeof *mode);
    mode->dmSize = size ? size : sizeof *mode;
    mode->dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
    mode->dmBitsPerPel = SDL_BITSPERPIXEL(from.format);
    mode->dmPelsWidth = static_cast<DWORD>(from.w);
    mode->dmPelsHeight = static_cast<DWORD>(from.h);
    mode->dmDisplayFrequency = static_cast<DWORD>(from.refresh_rate);
}

LONG SetFullScreenMode(const DEVMODEA& request) {
    SDL_DisplayMode desktop;
    if (SDL_GetDesktopDisplayMode(kDisplay, &desktop) != 0) return DISP_CHANGE_FAILED;
    SDL_DisplayMode wanted = {};
    wanted.w =
        (request.dmFields & DM_PELSWIDTH) ? static_cast<int>(request.dmPelsWidth) : desktop.w;
    wanted.h =
        (request.dmFields & DM_PELSHEIGHT) ? static_cast<int>(request.dmPelsHeight) : desktop.h;
    if (request.dmFields & DM_DISPLAYFREQUENCY)
        wanted.refresh_rate = static_cast<int>(request.dmDisplayFrequency);
    SDL_DisplayMode closest;
    // SDL offers the nearest larger mode when the size itself is missing; the show's
    // frame would then sit in a corner of a bigger screen, so only the exact size counts.
    if (!SDL_GetClosestDisplayMode(kDisplay, &wanted, &closest) || closest.w != wanted.w ||
        closest.h != wanted.h)
        return DISP_CHANGE_BADMODE;
    fullScreenMode = closest;
    fullScreenModeSet = true;
    live::InstallDesktopGuard();
    return DISP_CHANGE_SUCCESSFUL;
}

LONG SetScaledMode(const DEVMODEA& request) {
    SDL_DisplayMode desktop;
    if (SDL_GetDesktopDisplayMode(live::ShowDisplay(), &desktop) != 0) return DISP_CHANGE_FAILED;
    int width =
        (request.dmFields & DM_PELSWIDTH) ? static_cast<int>(request.dmPelsWidth) : desktop.w;
    int height =
        (request.dmFields & DM_PELSHEIGHT) ? static_cast<int>(request.dmPelsHeight) : desktop.h;
    if (width <= 0 || height <= 0) return DISP_CHANGE_BADMODE;
    scaledWidth = width;
    scaledHeight = height;
    scaledModeSet = true;
    // Nothing to put back on the display, but the cursor still comes back at any exit.
    live::InstallDesktopGuard();
    return DISP_CHANGE_SUCCESSFUL;
}

}  // namespace

namespace live {

bool ScaledModeSet(int* width, int* height) {
    if (!scaledModeSet) return false;
    *width = scaledWidth;
    *height = scaledHeight;
    return true;
}

int ShowDisplay() {
    SDL_Point centre;
    if (!LastDialogCentre(&centre)) return kDisplay;
    for (int display = 0; display < SDL_GetNumVideoDisplays(); ++display) {
        SDL_Rect bounds;
        if (SDL_GetDisplayBounds(display, &bounds) == 0 && SDL_PointInRect(&centre, &bounds))
            return display;
    }
    return kDisplay;
}

bool FullScreenModeSet(SDL_DisplayMode* mode) {
    if (fullScreenModeSet && mode) *mode = fullScreenMode;
    return fullScreenModeSet;
}

void RestoreDesktop() {
    fullScreenModeSet = false;
    scaledModeSet = false;
    cursorCounter = 0;
    if (!VideoStarted()) return;
    LeaveFullScreen();
    SDL_ShowCursor(SDL_ENABLE);
}

}  // namespace live

LONG ChangeDisplaySettingsA(DEVMODEA* mode, DWORD flags) {
    if (!mode) {
        live::RestoreDesktop();
        return DISP_CHANGE_SUCCESSFUL;
    }
    if (!(flags & CDS_FULLSCREEN)) return DISP_CHANGE_FAILED;
    if (!live::StartVideo()) return DISP_CHANGE_FAILED;
    if (live::OffscreenFramesAvailable()) return SetScaledMode(*mode);
    return SetFullScreenMode(*mode);
}

BOOL EnumDisplaySettingsA(LPCSTR deviceName, DWORD modeNumber, DEVMODEA* mode) {
    if (deviceName || !mode || !live::StartVideo()) return FALSE;
    SDL_DisplayMode found;
    int result = modeNumber == ENUM_CURRENT_SETTINGS
                     ? SDL_GetCurrentDisplayMode(kDisplay, &found)
                     : SDL_GetDisplayMode(kDisplay, static_cast<int>(modeNumber), &found);
    if (result != 0) return FALSE;
    FillDevMode(found, mode);
    return TRUE;
}

int ShowCursor(BOOL show) {
    cursorCounter += show ? 1 : -1;
    if (!show) live::InstallDesktopGuard();
    if (live::VideoStarted()) SDL_ShowCursor(cursorCounter >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return cursorCounter;
}
