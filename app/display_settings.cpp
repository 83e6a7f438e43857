// display_settings.cpp: the output window, its display mode and its rendering context.
#include "app/display_settings.h"

#include "app/resources/resource_ids.h"
#include "platform/gl.h"

#include <cstring>

namespace {

const char kWindowClassName[] = "mainframe";
const char kWindowTitle[] = KELVO_TITLE;

int ReportShutdownError(const char* text) {
    return MessageBoxA(nullptr, text, "SHUTDOWN ERROR", MB_OK | MB_ICONINFORMATION);
}

WNDCLASSA MakeWindowClass(HINSTANCE instance, WNDPROC windowProc) {
    WNDCLASSA windowClass;
    std::memset(&windowClass, 0, sizeof windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = windowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = nullptr;
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = kWindowClassName;
    return windowClass;
}

PIXELFORMATDESCRIPTOR MakePixelFormatRequest() {
    PIXELFORMATDESCRIPTOR request;
    std::memset(&request, 0, sizeof request);
    request.nSize = sizeof request;
    request.nVersion = 1;
    request.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    request.iPixelType = PFD_TYPE_RGBA;
    request.cColorBits = 16;
    request.cDepthBits = 16;
    request.iLayerType = PFD_MAIN_PLANE;
    return request;
}

DEVMODEA MakeModeRequest(int width, int height, DWORD bitsPerPixel) {
    DEVMODEA mode;
    std::memset(&mode, 0, sizeof mode);
    mode.dmSize = sizeof mode;
    mode.dmPelsWidth = static_cast<DWORD>(width);
    mode.dmPelsHeight = static_cast<DWORD>(height);
    mode.dmBitsPerPel = bitsPerPixel;
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    return mode;
}

// The desktop's colour depth, or 0 when it cannot be read.
DWORD DesktopBitsPerPixel() {
    DEVMODEA desktop;
    std::memset(&desktop, 0, sizeof desktop);
    desktop.dmSize = sizeof desktop;
    if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &desktop)) return 0;
    return (desktop.dmFields & DM_BITSPERPEL) ? desktop.dmBitsPerPel : 0;
}

// Switches to width x height at 16 bits per pixel. Where that is refused, the same size is
// asked for at the desktop's colour depth: Windows 8 and later refuse every mode below 32
// bits to programs whose manifest declares them compatible, and the show would otherwise
// end before it began.
bool ChangeToFullScreenMode(int width, int height) {
    const DWORD kShowBitsPerPixel = 16;
    DEVMODEA mode = MakeModeRequest(width, height, kShowBitsPerPixel);
    if (ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL) return true;
    DWORD desktopBits = DesktopBitsPerPixel();
    if (desktopBits == 0 || desktopBits == kShowBitsPerPixel) return false;
    mode = MakeModeRequest(width, height, desktopBits);
    return ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL;
}

}  // namespace

DisplaySettings::DisplaySettings() : fullScreen(1), width(kShowWidth), height(kShowHeight) {}

int DisplaySettings::ReportError(const char* text) {
    return MessageBoxA(nullptr, text, "Error !", MB_OK | MB_ICONERROR);
}

int DisplaySettings::OpenWindow(HINSTANCE instance, WNDPROC windowProc, HWND* window,
                                HDC* deviceContext, HGLRC* renderingContext) {
    *window = nullptr;
    *deviceContext = nullptr;
    *renderingContext = nullptr;

    WNDCLASSA windowClass = MakeWindowClass(instance, windowProc);
    if (!RegisterClassA(&windowClass)) {
        ReportError("Failed To Register The Window Class.");
        return 0;
    }

    if (fullScreen == 1) {
        if (!ChangeToFullScreenMode(width, height)) return 0;
        ShowCursor(FALSE);
    }

    DWORD exStyle = WS_EX_APPWINDOW;
    DWORD style = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    if (fullScreen != 1) {
        exStyle = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
        style = WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    }
    HWND newWindow = CreateWindowExA(exStyle, kWindowClassName, kWindowTitle, style, 0, 0, width,
                                     height, nullptr, nullptr, instance, nullptr);
    if (!newWindow) {
        ReleaseWindow(nullptr, nullptr, nullptr);
        ReportError("Window Creation Error");
        return 0;
    }

    HDC newDeviceContext = GetDC(newWindow);
    if (!newDeviceContext) {
        ReleaseWindow(newWindow, nullptr, nullptr);
        ReportError("Can't Create A GL Device Context.");
        return 0;
    }

    PIXELFORMATDESCRIPTOR request = MakePixelFormatRequest();
    int format = ChoosePixelFormat(newDeviceContext, &request);
    if (format == 0) {
        ReleaseWindow(newWindow, newDeviceContext, nullptr);
        ReportError("Can't Find A Suitable PixelFormat.");
        return 0;
    }
    if (!SetPixelFormat(newDeviceContext, format, &request)) {
        ReleaseWindow(newWindow, newDeviceContext, nullptr);
        ReportError("Can't Set The PixelFormat.");
        return 0;
    }

    HGLRC newRenderingContext = wglCreateContext(newDeviceContext);
    if (!newRenderingContext) {
        ReleaseWindow(newWindow, newDeviceContext, nullptr);
        ReportError("Can't Create A GL Rendering Context.");
        return 0;
    }
    if (!wglMakeCurrent(newDeviceContext, newRenderingContext)) {
        ReleaseWindow(newWindow, newDeviceContext, newRenderingContext);
        ReportError("Can't Activate The GL Rendering Context.");
        return 0;
    }

    ShowWindow(newWindow, SW_SHOW);
    SetForegroundWindow(newWindow);
    SetFocus(newWindow);

    *window = newWindow;
    *deviceContext = newDeviceContext;
    *renderingContext = newRenderingContext;
    return 1;
}

int DisplaySettings::Resize(int newWidth, int newHeight) {
    width = newWidth;
    height = newHeight;
    glViewport(0, 0, newWidth, newHeight);
    return 1;
}

int DisplaySettings::ReleaseWindow(HWND window, HDC deviceContext, HGLRC renderingContext) {
    if (fullScreen == 1) {
        ChangeDisplaySettingsA(nullptr, 0);
        ShowCursor(TRUE);
    }
    if (renderingContext) {
        if (!wglMakeCurrent(nullptr, nullptr)) ReportShutdownError("Release Of DC And RC Failed.");
        if (!wglDeleteContext(renderingContext))
            ReportShutdownError("Release Rendering Context Failed.");
    }
    if (deviceContext && !ReleaseDC(window, deviceContext))
        ReportShutdownError("Release Device Context Failed.");
    if (window && !DestroyWindow(window)) ReportShutdownError("Could Not Release hWnd.");
    return 1;
}
