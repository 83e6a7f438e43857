// display_mode.cpp: ChangeDisplaySettingsA, EnumDisplaySettingsA and ShowCursor over a
// recorded display: a desktop mode, a few offered full-screen modes, a cursor counter.
#include <cstring>

#include "platform/headless/headless_local.h"

namespace headless {
namespace detail {

void ResetDisplayMode() {
    Get().fullScreenActive = false;
    Get().fullScreenMode = DEVMODEA{};
}

namespace {

DEVMODEA MakeMode(int width, int height, int bits) {
    DEVMODEA mode{};
    mode.dmSize = sizeof(DEVMODEA);
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    mode.dmPelsWidth = static_cast<DWORD>(width);
    mode.dmPelsHeight = static_cast<DWORD>(height);
    mode.dmBitsPerPel = static_cast<DWORD>(bits);
    return mode;
}

bool Offered(DWORD width, DWORD height) {
    const DEVMODEA& desktop = Get().desktopMode;
    if (width == desktop.dmPelsWidth && height == desktop.dmPelsHeight) return true;
    static const DWORD sizes[][2] = {{640, 480}, {800, 600}, {1024, 768}};
    for (const auto& size : sizes) {
        if (width == size[0] && height == size[1]) return true;
    }
    return false;
}

}  // namespace
}  // namespace detail

void SetDesktopMode(int width, int height, int bitsPerPixel) {
    detail::Get().desktopMode = detail::MakeMode(width, height, bitsPerPixel);
}

void SetRefuseFullScreen(bool refuse) { detail::Get().refuseFullScreen = refuse; }

void SetLowestFullScreenBits(int bitsPerPixel) {
    detail::Get().lowestFullScreenBits = bitsPerPixel;
}

DEVMODEA CurrentMode() {
    return detail::Get().fullScreenActive ? detail::Get().fullScreenMode
                                          : detail::Get().desktopMode;
}

int CursorCounter() { return detail::Get().cursorCounter; }

}  // namespace headless

using namespace headless::detail;

LONG ChangeDisplaySettingsA(DEVMODEA* mode, DWORD flags) {
    if (!mode) {
        Log("ChangeDisplaySettingsA(NULL, " + std::to_string(flags) + ")");
        if (ShouldFail("ChangeDisplaySettingsA")) return DISP_CHANGE_FAILED;
        ResetDisplayMode();
        return DISP_CHANGE_SUCCESSFUL;
    }
    Log("ChangeDisplaySettingsA(" + std::to_string(mode->dmPelsWidth) + "x" +
        std::to_string(mode->dmPelsHeight) + "x" + std::to_string(mode->dmBitsPerPel) +
        (flags & CDS_FULLSCREEN ? ", CDS_FULLSCREEN)" : ")"));
    if (!(flags & CDS_FULLSCREEN)) return DISP_CHANGE_FAILED;
    if (ShouldFail("ChangeDisplaySettingsA") || Get().refuseFullScreen) return DISP_CHANGE_BADMODE;
    if (!(mode->dmFields & DM_PELSWIDTH) || !(mode->dmFields & DM_PELSHEIGHT))
        return DISP_CHANGE_BADMODE;
    if (!Offered(mode->dmPelsWidth, mode->dmPelsHeight)) return DISP_CHANGE_BADMODE;
    if ((mode->dmFields & DM_BITSPERPEL) &&
        mode->dmBitsPerPel < static_cast<DWORD>(Get().lowestFullScreenBits))
        return DISP_CHANGE_BADMODE;
    Get().fullScreenActive = true;
    Get().fullScreenMode = *mode;
    return DISP_CHANGE_SUCCESSFUL;
}

BOOL EnumDisplaySettingsA(LPCSTR deviceName, DWORD modeNumber, DEVMODEA* mode) {
    Log("EnumDisplaySettingsA");
    if (ShouldFail("EnumDisplaySettingsA") || deviceName || !mode ||
        modeNumber != ENUM_CURRENT_SETTINGS)
        return FALSE;
    *mode = headless::CurrentMode();
    return TRUE;
}

int ShowCursor(BOOL show) {
    Log(show ? "ShowCursor(TRUE)" : "ShowCursor(FALSE)");
    Get().cursorCounter += show ? 1 : -1;
    return Get().cursorCounter;
}
