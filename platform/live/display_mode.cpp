// display_mode.cpp: display modes and the cursor over SDL2 display modes.
// Provides ChangeDisplaySettingsA, EnumDisplaySettingsA and ShowCursor.
#include <cstring>

#include "platform/live/live_local.h"

namespace {

bool fullScreenModeSet = false;
SDL_DisplayMode fullScreenMode;
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
    wanted.w = (request.dmFields & DM_PELSWIDTH) ? static_cast<int>(request.dmPelsWidth) : desktop.w;
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

}  // namespace

namespace live {

bool FullScreenModeSet(SDL_DisplayMode* mode) {
    if (fullScreenModeSet && mode) *mode = fullScreenMode;
    return fullScreenModeSet;
}

void RestoreDesktop() {
    fullScreenModeSet = false;
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
