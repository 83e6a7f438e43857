// display_mode.cpp: display modes in a browser (ChangeDisplaySettingsA,
// EnumDisplaySettingsA, ShowCursor). A page cannot change the display's mode; full
// screen is the browser's own, entered when the full-screen window is shown, with the
// canvas scaled to the screen at 4:3.
#include "platform/web/web_local.h"

using namespace web;

LONG ChangeDisplaySettingsA(DEVMODEA* mode, DWORD flags) {
    if (!mode) {
        if (flags != 0) return DISP_CHANGE_FAILED;
        if (Get().fullScreenMode) kelvo_web_leave_full_screen();
        Get().fullScreenMode = false;
        return DISP_CHANGE_SUCCESSFUL;
    }
    if (flags != CDS_FULLSCREEN) return DISP_CHANGE_FAILED;
    Get().fullScreenMode = true;
    return DISP_CHANGE_SUCCESSFUL;
}

// The canvas is the display the show knows: 640 x 480 x 32.
BOOL EnumDisplaySettingsA(LPCSTR deviceName, DWORD modeNumber, DEVMODEA* mode) {
    if (deviceName || modeNumber != ENUM_CURRENT_SETTINGS || !mode) return FALSE;
    mode->dmPelsWidth = 640;
    mode->dmPelsHeight = 480;
    mode->dmBitsPerPel = 32;
    mode->dmDisplayFrequency = 60;
    mode->dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
    return TRUE;
}

// The page's style hides the cursor over the full-screen canvas; the counter is kept.
int ShowCursor(BOOL show) {
    Get().cursorCounter += show ? 1 : -1;
    return Get().cursorCounter;
}
